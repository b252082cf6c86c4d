// The data of one document: an ordered list of images with a current index, a preview
// (working) image and the reference image of the hysteresis pre-step. The view shows it;
// the command-line tool runs operations on it headless. Every edit keeps the list
// non-empty and the index inside it.
#pragma once
#include "ops/image.h"

class ImageModel {
public:
    ImageModel() = default;
    // Moves hand the images over; the library's lists would copy them all on assignment.
    ImageModel(ImageModel &&other) noexcept;
    ImageModel &operator=(ImageModel &&other) noexcept;
    ImageModel(const ImageModel &) = default;
    ImageModel &operator=(const ImageModel &) = default;
    // A model over copies of all images of list; the last becomes current.
    explicit ImageModel(const ImageList &list);
    // A model holding one image.
    explicit ImageModel(const Image &image);
    // For headless runs: a model over image, moved in without a copy. The preview starts
    // empty; the operations that use it set it before they read it.
    static ImageModel adopt(Image &&image);

    ImageList imageList;
    int currentIndex = 0;
    Image previewImage;
    Image referenceImage;

    int count() const { return int(imageList.size()); }
    bool isEmpty() const { return imageList.size() == 0; }
    Image &current() { return imageList[currentIndex]; }
    const Image &current() const { return imageList[currentIndex]; }

    // Appends a copy of the current image and makes it current.
    void duplicateCurrent();
    // Removes the last image (not necessarily the current one) and appends a copy of the
    // preview in its place; the index stays.
    void previewToCurrent();
    // Removes the current image if at least two remain; the image before becomes current.
    bool deleteCurrent();
    // Replaces the current image by image.
    void replaceCurrent(Image image);
    // Appends image at the end without changing the index.
    void append(const Image &image);

    // A record of the list's extent, so a failed operation can be undone: images appended
    // after it are removed and the index restored. Operations only ever change the
    // current working copy or append; the images before stay as they were.
    struct Mark {
        int count;
        int currentIndex;
        bool keepsCurrent;  // current holds a copy of the current image
        Image current;
        Image preview;
    };
    // A mark with copies of the current image and the preview.
    Mark mark() const;
    // A mark that copies the current image only when keepCurrent (a run that changes it in
    // place) and moves the preview aside instead of copying it: the run starts with an empty
    // preview. rollback puts everything back; keep, after success, puts the old preview back
    // unless the run made a new one.
    Mark markMovingPreview(bool keepCurrent);
    void rollback(const Mark &mark);
    void keep(Mark &&mark);
};
