// The compositor's monitors: wl_output's mode and scale, xdg-output's logical rectangle, and the desktop's
// extent made of them.
#include "wlroots_outputs.h"

#include "xdg-output-unstable-v1-client.h"

#include <wayland-client.h>

#include <algorithm>
#include <climits>

namespace {

void OnGeometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*,
                const char*, int32_t transform) {
    auto* output = static_cast<WlrootsOutput*>(data);
    output->geometryX = x;
    output->geometryY = y;
    output->transform = transform;
}

void OnMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
    auto* output = static_cast<WlrootsOutput*>(data);
    if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
    output->modeWidth = width;
    output->modeHeight = height;
}

void OnDone(void*, wl_output*) {}

void OnScale(void* data, wl_output*, int32_t factor) {
    static_cast<WlrootsOutput*>(data)->scale = std::max(1, factor);
}

void OnOutputName(void*, wl_output*, const char*) {}

void OnOutputDescription(void*, wl_output*, const char*) {}

const wl_output_listener kOutputListener = {OnGeometry, OnMode,       OnDone,
                                            OnScale,    OnOutputName, OnOutputDescription};

void OnLogicalPosition(void* data, zxdg_output_v1*, int32_t x, int32_t y) {
    auto* output = static_cast<WlrootsOutput*>(data);
    output->logicalX = x;
    output->logicalY = y;
    output->hasLogical = true;
}

void OnLogicalSize(void* data, zxdg_output_v1*, int32_t width, int32_t height) {
    auto* output = static_cast<WlrootsOutput*>(data);
    output->logicalWidth = width;
    output->logicalHeight = height;
    output->hasLogical = true;
}

void OnXdgDone(void*, zxdg_output_v1*) {}

void OnName(void* data, zxdg_output_v1*, const char* name) {
    static_cast<WlrootsOutput*>(data)->name = name != nullptr ? name : "";
}

void OnDescription(void*, zxdg_output_v1*, const char*) {}

const zxdg_output_v1_listener kXdgOutputListener = {OnLogicalPosition, OnLogicalSize, OnXdgDone, OnName,
                                                    OnDescription};

} // namespace

ScreenRect WlrootsOutput::Layout() const {
    if (hasLogical && logicalWidth > 0 && logicalHeight > 0)
        return ScreenRect{logicalX, logicalY, logicalWidth, logicalHeight};
    return ScreenRect{geometryX, geometryY, modeWidth / scale, modeHeight / scale};
}

ScaledOutput WlrootsOutput::Scaled() const {
    ScaledOutput scaled;
    scaled.logical = Layout();
    if (modeWidth <= 0 || modeHeight <= 0) {
        scaled.pixelWidth = scaled.logical.width * scale;
        scaled.pixelHeight = scaled.logical.height * scale;
        return scaled;
    }
    // A quarter turn (the odd transforms, flipped or not) shows the mode's width as the layout's height.
    const bool turned = (transform & 1) != 0;
    scaled.pixelWidth = turned ? modeHeight : modeWidth;
    scaled.pixelHeight = turned ? modeWidth : modeHeight;
    return scaled;
}

WlrootsOutputs::~WlrootsOutputs() {
    for (auto& output : outputs_) {
        if (output->xdgOutput != nullptr) zxdg_output_v1_destroy(output->xdgOutput);
        wl_output_destroy(output->output);
    }
    if (xdgManager_ != nullptr) zxdg_output_manager_v1_destroy(xdgManager_);
}

void WlrootsOutputs::SetXdgManager(zxdg_output_manager_v1* manager) {
    xdgManager_ = manager;
    for (auto& output : outputs_) Describe(*output);
}

void WlrootsOutputs::Describe(WlrootsOutput& output) {
    if (xdgManager_ == nullptr || output.xdgOutput != nullptr) return;
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(xdgManager_, output.output);
    zxdg_output_v1_add_listener(output.xdgOutput, &kXdgOutputListener, &output);
}

void WlrootsOutputs::Add(uint32_t globalName, wl_output* output) {
    auto added = std::make_unique<WlrootsOutput>();
    added->globalName = globalName;
    added->output = output;
    wl_output_add_listener(output, &kOutputListener, added.get());
    Describe(*added);
    outputs_.push_back(std::move(added));
}

void WlrootsOutputs::Remove(uint32_t globalName) {
    auto it = std::find_if(outputs_.begin(), outputs_.end(),
                           [&](const auto& output) { return output->globalName == globalName; });
    if (it == outputs_.end()) return;
    if ((*it)->xdgOutput != nullptr) zxdg_output_v1_destroy((*it)->xdgOutput);
    wl_output_destroy((*it)->output);
    outputs_.erase(it);
}

PhysicalLayout WlrootsOutputs::Physical(std::vector<const WlrootsOutput*>* shown) const {
    std::vector<ScaledOutput> scaled;
    if (shown != nullptr) shown->clear();
    for (const auto& output : outputs_) {
        const ScaledOutput one = output->Scaled();
        if (one.logical.width <= 0 || one.logical.height <= 0) continue;
        scaled.push_back(one);
        if (shown != nullptr) shown->push_back(output.get());
    }
    return PhysicalLayout(scaled);
}

bool WlrootsOutputs::Primary(ScreenRect& out) const {
    std::vector<const WlrootsOutput*> shown;
    const PhysicalLayout layout = Physical(&shown);
    if (shown.empty()) return false;
    size_t chosen = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        const ScreenRect rect = shown[i]->Layout();
        if (rect.left == 0 && rect.top == 0) {
            chosen = i;
            break;
        }
    }
    out = layout.DesktopRect(chosen);
    return true;
}
