#include "ops/classify/boostedtrees.h"

#include <xgboost/c_api.h>

#include <QString>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <stdexcept>
#include <string>

namespace {

// The library's message without what is meant for its developers: its messages start with
// a time and a source position ("[19:02:11] src/learner.cc:123: ") and end with a stack trace
// of addresses, and a parse error quotes the model's raw bytes. Only the first line is kept,
// without that prefix, in printable characters and at most 200 of them.
std::string plainMessage(const char *message)
{
    std::string text(message ? message : "");
    text = text.substr(0, text.find('\n'));
    if (text.size() > 1 && text[0] == '[')
        if (const size_t position = text.find(": ", text.find(']')); position != std::string::npos) text.erase(0, position + 2);
    for (char &c : text)
        if ((unsigned char)c < 0x20 || (unsigned char)c >= 0x7f) c = '?';
    if (text.size() > 200) text = text.substr(0, 200) + "...";
    return text;
}

// Every library call goes through this: a failure becomes an exception in plain words.
void check(int status, const char *what)
{
    if (status != 0)
        throw std::runtime_error(std::string("The learning library (XGBoost) failed to ") + what + ": " +
                                 plainMessage(XGBGetLastError()));
}

// The library logs to the console by default; the program reports its own errors.
void silenceLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { XGBSetGlobalConfig("{\"verbosity\": 0}"); });
}

struct Matrix {
    DMatrixHandle handle = nullptr;
    Matrix(const float *rows, size_t count, int featureCount, int threads)
    {
        check(XGDMatrixCreateFromMat_omp(rows, bst_ulong(count), bst_ulong(featureCount), std::nanf(""), &handle,
                                         threads),
              "take the training pixels");
    }
    ~Matrix() { XGDMatrixFree(handle); }
    Matrix(const Matrix &) = delete;
    Matrix &operator=(const Matrix &) = delete;
};

void setParam(BoosterHandle booster, const char *name, const std::string &value)
{
    check(XGBoosterSetParam(booster, name, value.c_str()), "accept a setting");
}

}  // namespace

struct BoostedTrees::Handle {
    BoosterHandle booster = nullptr;
    int features = 0;
    // The booster keeps per-call prediction buffers: one prediction at a time.
    mutable std::mutex lock;
    ~Handle() { XGBoosterFree(booster); }
};

BoostedTrees::BoostedTrees() : handle_(std::make_unique<Handle>()) {}
BoostedTrees::~BoostedTrees() = default;
BoostedTrees::BoostedTrees(BoostedTrees &&) noexcept = default;
BoostedTrees &BoostedTrees::operator=(BoostedTrees &&) noexcept = default;

int BoostedTrees::featureCount() const { return handle_->features; }

BoostedTrees BoostedTrees::train(const std::vector<float> &rows, const std::vector<float> &labels, int featureCount,
                                 const TreeSettings &settings)
{
    silenceLibrary();
    if (featureCount < 1 || rows.size() != labels.size() * size_t(featureCount))
        throw std::runtime_error("The training pixels and their labels do not match in number.");
    size_t vessels = 0;
    for (const float l : labels) vessels += l > 0.5f;
    if (vessels == 0 || vessels == labels.size())
        throw std::runtime_error(vessels == 0 ? "There is no vessel pixel to learn from."
                                              : "There is no background pixel to learn from.");
    const Matrix data(rows.data(), labels.size(), featureCount, settings.threads);
    check(XGDMatrixSetFloatInfo(data.handle, "label", labels.data(), bst_ulong(labels.size())), "take the labels");

    BoostedTrees model;
    model.handle_->features = featureCount;
    BoosterHandle b = nullptr;
    check(XGBoosterCreate(&data.handle, 1, &b), "create a model");
    model.handle_->booster = b;
    setParam(b, "objective", "binary:logistic");
    setParam(b, "tree_method", "hist");
    setParam(b, "max_bin", "256");
    setParam(b, "max_depth", std::to_string(settings.depth));
    setParam(b, "eta", QString::number(settings.eta, 'g', 17).toStdString());
    setParam(b, "min_child_weight", "1");
    setParam(b, "subsample", "1");
    setParam(b, "colsample_bytree", "1");
    setParam(b, "seed", "0");
    setParam(b, "nthread", std::to_string(std::max(1, settings.threads)));
    for (int round = 0; round < settings.rounds; ++round)
        check(XGBoosterUpdateOneIter(b, round, data.handle), "learn a tree");
    return model;
}

QByteArray BoostedTrees::toBytes() const
{
    const std::lock_guard<std::mutex> guard(handle_->lock);
    bst_ulong length = 0;
    const char *bytes = nullptr;
    check(XGBoosterSaveModelToBuffer(handle_->booster, "{\"format\": \"ubj\"}", &length, &bytes), "write the model");
    return QByteArray(bytes, qsizetype(length));
}

BoostedTrees BoostedTrees::fromBytes(const QByteArray &bytes)
{
    silenceLibrary();
    BoostedTrees model;
    BoosterHandle b = nullptr;
    check(XGBoosterCreate(nullptr, 0, &b), "create a model");
    model.handle_->booster = b;
    check(XGBoosterLoadModelFromBuffer(b, bytes.constData(), bst_ulong(bytes.size())), "read the model");
    bst_ulong features = 0;
    check(XGBoosterGetNumFeature(b, &features), "read the model");
    model.handle_->features = int(features);
    return model;
}

std::vector<float> BoostedTrees::predict(const float *rows, size_t count, int featureCount, int threads) const
{
    if (featureCount != handle_->features)
        throw std::runtime_error("The model expects " + std::to_string(handle_->features) + " features, not " +
                                 std::to_string(featureCount) + ".");
    if (count == 0) return {};
    const std::lock_guard<std::mutex> guard(handle_->lock);
    setParam(handle_->booster, "nthread", std::to_string(std::max(1, threads)));
    // In-place prediction reads the rows where they are, without building a matrix first.
    const std::string values = "{\"data\": [" + std::to_string(reinterpret_cast<uintptr_t>(rows)) +
                               ", true], \"shape\": [" + std::to_string(count) + ", " + std::to_string(featureCount) +
                               "], \"typestr\": \"<f4\", \"version\": 3}";
    const char *config = "{\"type\": 0, \"training\": false, \"iteration_begin\": 0, \"iteration_end\": 0, "
                         "\"strict_shape\": false, \"missing\": -3.4e38, \"cache_id\": 0}";
    const bst_ulong *shape = nullptr;
    bst_ulong dims = 0;
    const float *result = nullptr;
    check(XGBoosterPredictFromDense(handle_->booster, values.c_str(), config, nullptr, &shape, &dims, &result), "predict");
    return std::vector<float>(result, result + count);
}
