#include "ops/imagemodel.h"

#include <algorithm>
#include <utility>

ImageModel::ImageModel(const ImageList &list) : imageList(list)
{
    currentIndex = std::max(0, count() - 1);
    if (!isEmpty()) previewImage = imageList.back();
}

ImageModel::ImageModel(const Image &image)
{
    imageList.push_back(image);
    previewImage = image;
}

ImageModel::ImageModel(ImageModel &&other) noexcept { *this = std::move(other); }

ImageModel &ImageModel::operator=(ImageModel &&other) noexcept
{
    if (this == &other) return *this;
    imageList.swap(other.imageList);
    other.imageList.assign();
    currentIndex = std::exchange(other.currentIndex, 0);
    other.previewImage.move_to(previewImage);
    other.referenceImage.move_to(referenceImage);
    return *this;
}

ImageModel ImageModel::adopt(Image &&image)
{
    ImageModel model;
    model.imageList.insert(1);
    image.move_to(model.imageList[0]);
    return model;
}

void ImageModel::duplicateCurrent()
{
    // The new element first: growing the list may move its elements, so the current image
    // is looked up again afterwards and copied once.
    const int index = currentIndex;
    imageList.insert(1);
    imageList.back().assign(imageList[index]);
    currentIndex = count() - 1;
}

void ImageModel::previewToCurrent()
{
    if (!isEmpty()) imageList.remove(imageList.size() - 1);
    imageList.push_back(previewImage);
    currentIndex = std::clamp(currentIndex, 0, count() - 1);
}

bool ImageModel::deleteCurrent()
{
    if (count() < 2) return false;
    imageList.remove(currentIndex);
    if (currentIndex > 0) --currentIndex;
    return true;
}

void ImageModel::replaceCurrent(Image image) { image.move_to(current()); }

void ImageModel::append(const Image &image) { imageList.push_back(image); }

ImageModel::Mark ImageModel::mark() const
{
    return {count(), currentIndex, true, isEmpty() ? Image() : current(), previewImage};
}

ImageModel::Mark ImageModel::markMovingPreview(bool keepCurrent)
{
    Mark m{count(), currentIndex, keepCurrent && !isEmpty(), Image(), Image()};
    if (m.keepsCurrent) m.current = current();
    previewImage.move_to(m.preview);
    return m;
}

void ImageModel::keep(Mark &&m)
{
    if (previewImage.is_empty()) m.preview.move_to(previewImage);
}

void ImageModel::rollback(const Mark &m)
{
    while (count() > m.count) imageList.remove(imageList.size() - 1);
    if (m.keepsCurrent)
        while (count() < m.count) imageList.push_back(m.current);
    currentIndex = std::clamp(m.currentIndex, 0, std::max(0, count() - 1));
    if (m.keepsCurrent && !isEmpty()) current() = m.current;
    previewImage = m.preview;
}
