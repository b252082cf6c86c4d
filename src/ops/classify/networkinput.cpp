#include "ops/classify/networkinput.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <stdexcept>

const QStringList &networkInputNames()
{
    static const QStringList names{"clahe2_tiles8_standardised"};
    return names;
}

std::vector<float> networkInput(const Image &image, const Image &fov, Polarity polarity)
{
    if (image.spectrum() != 1 || image.depth() != 1) throw std::runtime_error("The network takes one gray-level plane.");
    if (fov.width() != image.width() || fov.height() != image.height())
        throw std::runtime_error("The field-of-view mask and the image differ in size.");
    const int w = image.width(), h = image.height();
    cv::Mat gray(h, w, CV_8UC1);
    for (int y = 0; y < h; ++y) {
        uchar *row = gray.ptr<uchar>(y);
        for (int x = 0; x < w; ++x) {
            const double v = image(x, y);
            row[x] = uchar(std::isfinite(v) ? std::lround(std::clamp(v, 0.0, 255.0)) : 0);
        }
    }
    cv::Mat equalised;
    cv::createCLAHE(2.0, cv::Size(8, 8))->apply(gray, equalised);

    double sum = 0.0, squares = 0.0;
    long long inside = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (fov(x, y) == kWhite) {
                const double v = equalised.at<uchar>(y, x);
                sum += v, squares += v * v, ++inside;
            }
    const double mean = inside > 0 ? sum / double(inside) : 0.0;
    const double variance = inside > 0 ? std::max(0.0, squares / double(inside) - mean * mean) : 0.0;
    // A flat field of view has nothing to standardise: it becomes 0, as the surround is.
    const double scale = (variance > 1e-12 ? 1.0 / std::sqrt(variance) : 0.0) * (polarity == Polarity::Dark ? -1.0 : 1.0);
    std::vector<float> plane(size_t(w) * size_t(h), 0.0f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (fov(x, y) == kWhite) plane[size_t(x) + size_t(y) * size_t(w)] = float((equalised.at<uchar>(y, x) - mean) * scale);
    return plane;
}
