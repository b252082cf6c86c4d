#include "ops/classify/vesselnetwork.h"

#include <torch/script.h>
#include <torch/torch.h>

#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>

namespace nn = torch::nn;

namespace {

// Two 3 x 3 convolutions, each followed by batch normalisation and ReLU. The convolutions
// have no bias: the normalisation that follows would cancel it.
nn::Sequential block(int in, int out)
{
    return nn::Sequential(nn::Conv2d(nn::Conv2dOptions(in, out, 3).padding(1).bias(false)), nn::BatchNorm2d(out),
                          nn::ReLU(), nn::Conv2d(nn::Conv2dOptions(out, out, 3).padding(1).bias(false)),
                          nn::BatchNorm2d(out), nn::ReLU());
}

nn::ConvTranspose2d up(int in, int out) { return nn::ConvTranspose2d(nn::ConvTranspose2dOptions(in, out, 2).stride(2)); }

struct UNetImpl : nn::Module {
    explicit UNetImpl(int c)
        : enc1(register_module("enc1", block(1, c))), enc2(register_module("enc2", block(c, 2 * c))),
          enc3(register_module("enc3", block(2 * c, 4 * c))), bottom(register_module("bottom", block(4 * c, 8 * c))),
          up3(register_module("up3", up(8 * c, 4 * c))), dec3(register_module("dec3", block(8 * c, 4 * c))),
          up2(register_module("up2", up(4 * c, 2 * c))), dec2(register_module("dec2", block(4 * c, 2 * c))),
          up1(register_module("up1", up(2 * c, c))), dec1(register_module("dec1", block(2 * c, c))),
          head(register_module("head", nn::Conv2d(nn::Conv2dOptions(c, 1, 1))))
    {
    }

    torch::Tensor forward(const torch::Tensor &x)
    {
        const torch::Tensor e1 = enc1->forward(x);
        const torch::Tensor e2 = enc2->forward(torch::max_pool2d(e1, 2));
        const torch::Tensor e3 = enc3->forward(torch::max_pool2d(e2, 2));
        const torch::Tensor b = bottom->forward(torch::max_pool2d(e3, 2));
        const torch::Tensor d3 = dec3->forward(torch::cat({up3->forward(b), e3}, 1));
        const torch::Tensor d2 = dec2->forward(torch::cat({up2->forward(d3), e2}, 1));
        const torch::Tensor d1 = dec1->forward(torch::cat({up1->forward(d2), e1}, 1));
        return head->forward(d1);
    }

    nn::Sequential enc1, enc2, enc3, bottom;
    nn::ConvTranspose2d up3;
    nn::Sequential dec3;
    nn::ConvTranspose2d up2;
    nn::Sequential dec2;
    nn::ConvTranspose2d up1;
    nn::Sequential dec1;
    nn::Conv2d head;
};
TORCH_MODULE(UNet);

// A library failure becomes an exception in plain words.
[[noreturn]] void fail(const char *what, const std::exception &e)
{
    throw std::runtime_error(std::string("The network library (libtorch) failed to ") + what + ": " + e.what());
}

torch::Tensor planes(const std::vector<float> &values, int count, int side)
{
    return torch::from_blob(const_cast<float *>(values.data()), {count, 1, side, side}, torch::kFloat32);
}

}  // namespace

struct VesselNetwork::Impl {
    int baseChannels = 0;
    UNet unet{nullptr};
    std::unique_ptr<torch::jit::Module> scripted;
    std::unique_ptr<torch::optim::Adam> optimizer;
    // A forward pass in evaluation mode changes no state, but the module's mode is a flag of
    // the module: one pass at a time.
    mutable std::mutex lock;

    torch::Tensor forward(const torch::Tensor &x)
    {
        if (scripted) return scripted->forward({x}).toTensor();
        return unet->forward(x);
    }
};

VesselNetwork::VesselNetwork(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

VesselNetwork::VesselNetwork(int baseChannels, uint64_t seed) : impl_(std::make_unique<Impl>())
{
    if (baseChannels < 1 || baseChannels > 256) throw std::runtime_error("A network needs 1 to 256 base channels.");
    torch::manual_seed(seed);
    impl_->baseChannels = baseChannels;
    impl_->unet = UNet(baseChannels);
}

VesselNetwork::~VesselNetwork() = default;
VesselNetwork::VesselNetwork(VesselNetwork &&) noexcept = default;
VesselNetwork &VesselNetwork::operator=(VesselNetwork &&) noexcept = default;

VesselNetwork VesselNetwork::fromBytes(const QByteArray &bytes, int baseChannels)
{
    if (baseChannels < 1 || baseChannels > 256) throw std::runtime_error("The network's channel count is out of range.");
    auto impl = std::make_unique<Impl>();
    impl->baseChannels = baseChannels;
    impl->unet = UNet(baseChannels);
    try {
        std::istringstream stream(bytes.toStdString());
        torch::load(impl->unet, stream);
    } catch (const std::exception &e) {
        fail("read the network", e);
    }
    return VesselNetwork(std::move(impl));
}

VesselNetwork VesselNetwork::fromTorchScript(const QByteArray &bytes)
{
    auto impl = std::make_unique<Impl>();
    try {
        std::istringstream stream(bytes.toStdString());
        impl->scripted = std::make_unique<torch::jit::Module>(torch::jit::load(stream));
        impl->scripted->eval();
    } catch (const std::exception &e) {
        fail("read the TorchScript network", e);
    }
    return VesselNetwork(std::move(impl));
}

QByteArray VesselNetwork::toBytes() const
{
    if (!impl_->unet) throw std::runtime_error("A TorchScript network is not written again.");
    std::ostringstream stream;
    try {
        torch::save(impl_->unet, stream);
    } catch (const std::exception &e) {
        fail("write the network", e);
    }
    const std::string s = stream.str();
    return QByteArray(s.data(), qsizetype(s.size()));
}

int VesselNetwork::baseChannels() const { return impl_->baseChannels; }
bool VesselNetwork::trainable() const { return bool(impl_->unet); }

long long VesselNetwork::parameterCount() const
{
    long long n = 0;
    if (impl_->unet)
        for (const torch::Tensor &p : impl_->unet->parameters()) n += p.numel();
    if (impl_->scripted)
        for (const torch::Tensor &p : impl_->scripted->parameters()) n += p.numel();
    return n;
}

double VesselNetwork::trainStep(const NetworkBatch &batch, double learningRate, bool keepStatistics)
{
    if (!impl_->unet) throw std::runtime_error("A TorchScript network cannot be trained here.");
    const size_t values = size_t(batch.count) * size_t(batch.side) * size_t(batch.side);
    if (batch.count < 1 || batch.side % 8 != 0 || batch.input.size() != values || batch.target.size() != values ||
        batch.weight.size() != values)
        throw std::runtime_error("The training batch is malformed.");
    const std::lock_guard<std::mutex> guard(impl_->lock);
    try {
        if (!impl_->optimizer)
            impl_->optimizer = std::make_unique<torch::optim::Adam>(impl_->unet->parameters(),
                                                                    torch::optim::AdamOptions(learningRate));
        for (auto &group : impl_->optimizer->param_groups())
            static_cast<torch::optim::AdamOptions &>(group.options()).lr(learningRate);
        impl_->unet->train();
        if (keepStatistics)
            for (const std::shared_ptr<torch::nn::Module> &m : impl_->unet->modules(false))
                if (m->as<torch::nn::BatchNorm2d>()) m->eval();
        const torch::Tensor x = planes(batch.input, batch.count, batch.side);
        const torch::Tensor t = planes(batch.target, batch.count, batch.side);
        const torch::Tensor w = planes(batch.weight, batch.count, batch.side);
        const torch::Tensor logits = impl_->unet->forward(x);
        const torch::Tensor counted = w.sum().clamp_min(1.0);
        const torch::Tensor bce =
            (torch::binary_cross_entropy_with_logits(logits, t, {}, {}, at::Reduction::None) * w).sum() / counted;
        const torch::Tensor p = torch::sigmoid(logits) * w;
        const torch::Tensor dice = 1.0 - (2.0 * (p * t).sum() + 1.0) / (p.sum() + (t * w).sum() + 1.0);
        const torch::Tensor loss = bce + dice;
        impl_->optimizer->zero_grad();
        loss.backward();
        impl_->optimizer->step();
        return loss.item<double>();
    } catch (const c10::Error &e) {
        fail("learn", e);
    }
}

std::vector<float> VesselNetwork::probability(const float *plane, int width, int height) const
{
    if (width < 8 || height < 8 || width % 8 != 0 || height % 8 != 0)
        throw std::runtime_error("The network's input must be a multiple of 8 on each side.");
    const std::lock_guard<std::mutex> guard(impl_->lock);
    try {
        torch::NoGradGuard noGrad;
        if (impl_->unet) impl_->unet->eval();
        const torch::Tensor x = torch::from_blob(const_cast<float *>(plane), {1, 1, height, width}, torch::kFloat32);
        const torch::Tensor out = torch::sigmoid(impl_->forward(x)).contiguous();
        if (out.numel() != int64_t(width) * height)
            throw std::runtime_error("The network gives " + std::to_string(out.numel()) + " values for " +
                                     std::to_string(int64_t(width) * height) + " pixels.");
        const float *p = out.data_ptr<float>();
        return std::vector<float>(p, p + out.numel());
    } catch (const c10::Error &e) {
        fail("compute the vessel probability", e);
    }
}

void setNetworkThreads(int threads)
{
    static std::once_flag once;
    std::call_once(once, [] { at::globalContext().setDeterministicAlgorithms(true, false); });
    if (torch::get_num_threads() != std::max(1, threads)) torch::set_num_threads(std::max(1, threads));
}
