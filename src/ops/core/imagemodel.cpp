#include "ops/core/imagemodel.h"

#include <algorithm>
#include <utility>

#include "ops/core/largebuffer.h"

namespace {

ImageModel::Entry entryOf(Image &&image)
{
    ImageModel::Entry e;
    e.full = std::make_shared<Image>();
    image.move_to(*e.full);
    return e;
}

const Image &emptyImage()
{
    static const Image empty;
    return empty;
}

}  // namespace

ImageModel::ImageModel(const ImageList &list)
{
    entries_.reserve(list.size());
    for (const Image &image : list) entries_.push_back(entryOf(Image(image)));
    currentIndex = std::max(0, count() - 1);
    if (!isEmpty()) previewImage = list.back();
}

ImageModel::ImageModel(const Image &image)
{
    entries_.push_back(entryOf(Image(image)));
    previewImage = image;
}

ImageModel::ImageModel(ImageModel &&other) noexcept { *this = std::move(other); }

ImageModel &ImageModel::operator=(ImageModel &&other) noexcept
{
    if (this == &other) return *this;
    entries_ = std::move(other.entries_);
    other.entries_.clear();
    currentIndex = std::exchange(other.currentIndex, 0);
    other.previewImage.move_to(previewImage);
    other.referenceImage.move_to(referenceImage);
    return *this;
}

ImageModel ImageModel::adopt(Image &&image)
{
    ImageModel model;
    model.entries_.push_back(entryOf(std::move(image)));
    return model;
}

ImageRead ImageModel::image(int index) const
{
    const Entry &e = entries_.at(size_t(index));
    if (e.isCompact()) return ImageRead(e.compact->unpack());
    return ImageRead(e.full ? *e.full : emptyImage());
}

Image &ImageModel::edit(int index)
{
    Entry &e = entries_.at(size_t(index));
    if (e.isCompact()) {
        e.full = std::make_shared<Image>(e.compact->unpack());
        e.compact.reset();
    } else if (!e.full) {
        e.full = std::make_shared<Image>();
    } else if (e.full.use_count() > 1) {
        // Shared with a copy of the entry: this one gets pixels of its own.
        e.full = std::make_shared<Image>(largeCopy(*e.full));
    }
    return *e.full;
}

bool ImageModel::isCompact(int index) const { return entries_.at(size_t(index)).isCompact(); }

ImageList ImageModel::toList() const
{
    ImageList list;
    list.assign(unsigned(count()));
    for (int i = 0; i < count(); ++i) {
        const Entry &e = entries_[size_t(i)];
        if (e.isCompact())
            e.compact->unpackInto(list[unsigned(i)]);
        else if (e.full)
            list[unsigned(i)] = *e.full;
    }
    return list;
}

void ImageModel::duplicateCurrent()
{
    const Entry copy = entries_.at(size_t(currentIndex));
    entries_.push_back(copy);
    currentIndex = count() - 1;
}

void ImageModel::previewToCurrent()
{
    if (!isEmpty()) entries_.pop_back();
    entries_.push_back(entryOf(Image(previewImage)));
    currentIndex = std::clamp(currentIndex, 0, count() - 1);
}

bool ImageModel::deleteCurrent()
{
    if (count() < 2) return false;
    entries_.erase(entries_.begin() + currentIndex);
    if (currentIndex > 0) --currentIndex;
    return true;
}

void ImageModel::replaceCurrent(Image image) { entries_.at(size_t(currentIndex)) = entryOf(std::move(image)); }

void ImageModel::append(Image image) { entries_.push_back(entryOf(std::move(image))); }

void ImageModel::appendCompact(const Image &image)
{
    PackedBinary packed = PackedBinary::pack(image);
    if (packed.isEmpty())
        append(image);
    else
        appendCompact(std::move(packed));
}

void ImageModel::appendCompact(PackedBinary image)
{
    Entry e;
    e.compact = std::make_shared<const PackedBinary>(std::move(image));
    entries_.push_back(std::move(e));
}

ImageModel::Mark ImageModel::mark() const
{
    return {count(), currentIndex, true, isEmpty() ? Entry() : entries_[size_t(currentIndex)], previewImage};
}

ImageModel::Mark ImageModel::markMovingPreview(bool keepCurrent)
{
    Mark m{count(), currentIndex, keepCurrent && !isEmpty(), Entry(), Image()};
    if (m.keepsCurrent) m.current = entries_[size_t(currentIndex)];
    previewImage.move_to(m.preview);
    return m;
}

void ImageModel::keep(Mark &&m)
{
    if (previewImage.is_empty()) m.preview.move_to(previewImage);
}

void ImageModel::rollback(const Mark &m)
{
    while (count() > m.count) entries_.pop_back();
    if (m.keepsCurrent)
        while (count() < m.count) entries_.push_back(m.current);
    currentIndex = std::clamp(m.currentIndex, 0, std::max(0, count() - 1));
    if (m.keepsCurrent && !isEmpty()) entries_[size_t(currentIndex)] = m.current;
    previewImage = m.preview;
}
