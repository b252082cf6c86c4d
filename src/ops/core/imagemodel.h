// The data of one document: an ordered list of images with a current index, a preview
// (working) image and the reference image of the hysteresis pre-step. The view shows it;
// the command-line tool runs operations on it headless. Every edit keeps the list
// non-empty and the index inside it.
//
// A binary image (only 0 and 255) can be held in one bit per pixel until someone asks to
// change it, and a copy of an image (the working copy) shares the original's doubles until
// one of them changes. Reading goes through image() and currentImage(), which give the same
// doubles either way; current() and edit() give a mutable image of the entry's own and turn
// a compact one into doubles for good.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "ops/core/image.h"
#include "ops/core/packedbinary.h"

// Read access to one image of a model: the stored doubles themselves, or the doubles of a
// compact image expanded for this reader alone and freed with it. Valid while the model's
// list is unchanged. Keep the object, not a reference taken from a temporary one:
//   const ImageRead image = model.currentImage();  use *image or image->width()
class ImageRead {
public:
    explicit ImageRead(const Image &stored) : stored_(&stored) {}
    explicit ImageRead(Image &&expanded) noexcept : expanded_(std::move(expanded)) {}
    ImageRead(ImageRead &&other) noexcept : stored_(other.stored_) { expanded_.swap(other.expanded_); }
    ImageRead(const ImageRead &) = delete;
    ImageRead &operator=(const ImageRead &) = delete;
    ImageRead &operator=(ImageRead &&) = delete;

    const Image &operator*() const { return stored_ ? *stored_ : expanded_; }
    const Image *operator->() const { return &**this; }

private:
    const Image *stored_ = nullptr;
    Image expanded_;
};

class ImageModel {
public:
    ImageModel() = default;
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

    int currentIndex = 0;
    Image previewImage;
    Image referenceImage;

    int count() const { return int(entries_.size()); }
    bool isEmpty() const { return entries_.empty(); }

    // The doubles of image index (0 <= index < count()), without changing how it is held.
    ImageRead image(int index) const;
    ImageRead currentImage() const { return image(currentIndex); }
    // Image index or the current image for changing: a compact image becomes doubles first.
    Image &edit(int index);
    Image &current() { return edit(currentIndex); }
    // Whether image index is held in one bit per pixel.
    bool isCompact(int index) const;
    // Copies of all images as doubles, in list order.
    ImageList toList() const;

    // Appends a copy of the current image, sharing its pixels until either is edited, and
    // makes it current.
    void duplicateCurrent();
    // Removes the last image (not necessarily the current one) and appends a copy of the
    // preview in its place; the index stays.
    void previewToCurrent();
    // Removes the current image if at least two remain; the image before becomes current.
    bool deleteCurrent();
    // Replaces the current image by image.
    void replaceCurrent(Image image);
    // Appends image at the end without changing the index.
    void append(Image image);
    // Appends a copy of image, held in one bit per pixel when it is binary (every value
    // +0 or 255); any other image is kept as doubles.
    void appendCompact(const Image &image);
    // Appends a binary image held in one bit per pixel.
    void appendCompact(PackedBinary image);

    // One stored image: doubles, shared between copies of the entry until one of them is
    // edited (a working copy costs nothing until it changes), or, when compact is set, a
    // binary image in one bit per pixel.
    struct Entry {
        std::shared_ptr<Image> full;
        std::shared_ptr<const PackedBinary> compact;
        Entry() = default;
        Entry(const Entry &) = default;
        Entry &operator=(const Entry &) = default;
        Entry(Entry &&other) noexcept { swap(other); }
        Entry &operator=(Entry &&other) noexcept
        {
            swap(other);
            return *this;
        }
        void swap(Entry &other) noexcept
        {
            full.swap(other.full);
            compact.swap(other.compact);
        }
        bool isCompact() const { return compact != nullptr; }
    };

    // A record of the list's extent, so a failed operation can be undone: images appended
    // after it are removed and the index restored. Operations only ever change the
    // current working copy or append; the images before stay as they were.
    struct Mark {
        int count;
        int currentIndex;
        bool keepsCurrent;  // current holds a copy of the current image
        Entry current;
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

private:
    std::vector<Entry> entries_;
};
