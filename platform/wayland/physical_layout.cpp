// The outputs placed in desktop pixels (their layout places pushed past their neighbours' physical size)
// and the conversions of points, rectangles and sizes between desktop pixels and layout coordinates.
#include "physical_layout.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>

namespace {

int32_t Right(const ScreenRect& rect) {
    return rect.left + rect.width;
}

int32_t Bottom(const ScreenRect& rect) {
    return rect.top + rect.height;
}

// How far a point lies outside a rectangle (0 inside), squared.
double DistanceSquared(const ScreenRect& rect, double x, double y) {
    const double dx = x < rect.left ? rect.left - x : (x >= Right(rect) ? x - (Right(rect) - 1) : 0);
    const double dy = y < rect.top ? rect.top - y : (y >= Bottom(rect) ? y - (Bottom(rect) - 1) : 0);
    return dx * dx + dy * dy;
}

} // namespace

PhysicalLayout::PhysicalLayout(const std::vector<ScaledOutput>& outputs) {
    int32_t boxLeft = INT32_MAX;
    int32_t boxTop = INT32_MAX;
    int32_t boxRight = INT32_MIN;
    int32_t boxBottom = INT32_MIN;
    for (const ScaledOutput& output : outputs) {
        if (output.logical.width <= 0 || output.logical.height <= 0) continue;
        Placed placed;
        placed.logical = output.logical;
        placed.desktop.width = output.pixelWidth > 0 ? output.pixelWidth : output.logical.width;
        placed.desktop.height = output.pixelHeight > 0 ? output.pixelHeight : output.logical.height;
        placed.scaleX = static_cast<double>(placed.desktop.width) / output.logical.width;
        placed.scaleY = static_cast<double>(placed.desktop.height) / output.logical.height;
        boxLeft = std::min(boxLeft, output.logical.left);
        boxTop = std::min(boxTop, output.logical.top);
        boxRight = std::max(boxRight, Right(output.logical));
        boxBottom = std::max(boxBottom, Bottom(output.logical));
        outputs_.push_back(placed);
    }
    if (outputs_.empty()) return;
    layoutBox_ = ScreenRect{boxLeft, boxTop, boxRight - boxLeft, boxBottom - boxTop};
    // Along one axis (x with left and width, y with top and height), in the order of the outputs' layout
    // places: every output wholly before another is placed before it.
    const auto placeAlong = [this](int32_t boxStart, int32_t ScreenRect::*at, int32_t ScreenRect::*size) {
        std::vector<size_t> order(outputs_.size());
        std::iota(order.begin(), order.end(), size_t{0});
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return outputs_[a].logical.*at < outputs_[b].logical.*at;
        });
        for (size_t i : order) {
            Placed& output = outputs_[i];
            int32_t place = output.logical.*at - boxStart;
            for (const Placed& other : outputs_) {
                const int32_t otherEnd = other.logical.*at + other.logical.*size;
                if (&other != &output && otherEnd <= output.logical.*at)
                    place = std::max(place, other.desktop.*at + other.desktop.*size +
                                                (output.logical.*at - otherEnd));
            }
            output.desktop.*at = place;
        }
    };
    placeAlong(boxLeft, &ScreenRect::left, &ScreenRect::width);
    placeAlong(boxTop, &ScreenRect::top, &ScreenRect::height);
    for (const Placed& output : outputs_) {
        desktop_.width = std::max(desktop_.width, Right(output.desktop));
        desktop_.height = std::max(desktop_.height, Bottom(output.desktop));
    }
}

int PhysicalLayout::OutputAtPixel(int32_t x, int32_t y) const {
    int best = -1;
    double bestDistance = 0;
    for (size_t i = 0; i < outputs_.size(); ++i) {
        const double distance = DistanceSquared(outputs_[i].desktop, x, y);
        if (best < 0 || distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
        if (distance == 0) break;
    }
    return best;
}

int PhysicalLayout::OutputAtLayout(double x, double y) const {
    int best = -1;
    double bestDistance = 0;
    for (size_t i = 0; i < outputs_.size(); ++i) {
        const ScreenRect& rect = outputs_[i].logical;
        const bool inside = x >= rect.left && x < Right(rect) && y >= rect.top && y < Bottom(rect);
        const double distance = inside ? 0 : DistanceSquared(rect, x, y) + 1;
        if (best < 0 || distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
        if (inside) break;
    }
    return best;
}

bool PhysicalLayout::ToLayout(int32_t x, int32_t y, double& layoutX, double& layoutY) const {
    const int index = OutputAtPixel(x, y);
    if (index < 0) return false;
    const Placed& output = outputs_[static_cast<size_t>(index)];
    layoutX = output.logical.left + (x - output.desktop.left) / output.scaleX;
    layoutY = output.logical.top + (y - output.desktop.top) / output.scaleY;
    return true;
}

bool PhysicalLayout::ToDesktop(double layoutX, double layoutY, int32_t& x, int32_t& y) const {
    const int index = OutputAtLayout(layoutX, layoutY);
    if (index < 0) return false;
    const Placed& output = outputs_[static_cast<size_t>(index)];
    // A small allowance keeps a point computed from a pixel's own corner on that pixel.
    const auto pixelX =
        static_cast<int32_t>(std::floor((layoutX - output.logical.left) * output.scaleX + 1e-6));
    const auto pixelY =
        static_cast<int32_t>(std::floor((layoutY - output.logical.top) * output.scaleY + 1e-6));
    x = output.desktop.left + std::clamp(pixelX, 0, output.desktop.width - 1);
    y = output.desktop.top + std::clamp(pixelY, 0, output.desktop.height - 1);
    return true;
}

ScreenRect PhysicalLayout::RectToDesktop(const ScreenRect& layout) const {
    const int index = OutputAtLayout(layout.left, layout.top);
    if (index < 0) return layout;
    const Placed& output = outputs_[static_cast<size_t>(index)];
    const auto along = [](int32_t from, int32_t origin, double scale) {
        return static_cast<int32_t>(std::lround((from - origin) * scale));
    };
    ScreenRect rect;
    rect.left = output.desktop.left + along(layout.left, output.logical.left, output.scaleX);
    rect.top = output.desktop.top + along(layout.top, output.logical.top, output.scaleY);
    rect.width = output.desktop.left + along(Right(layout), output.logical.left, output.scaleX) - rect.left;
    rect.height = output.desktop.top + along(Bottom(layout), output.logical.top, output.scaleY) - rect.top;
    return rect;
}

void PhysicalLayout::SizeToLayout(int32_t x, int32_t y, int32_t width, int32_t height, int32_t& layoutWidth,
                                  int32_t& layoutHeight) const {
    const int index = OutputAtPixel(x, y);
    const double scaleX = index < 0 ? 1 : outputs_[static_cast<size_t>(index)].scaleX;
    const double scaleY = index < 0 ? 1 : outputs_[static_cast<size_t>(index)].scaleY;
    layoutWidth = static_cast<int32_t>(std::lround(width / scaleX));
    layoutHeight = static_cast<int32_t>(std::lround(height / scaleY));
}

double PhysicalLayout::ScaleAt(int32_t x, int32_t y) const {
    const int index = OutputAtPixel(x, y);
    return index < 0 ? 1 : outputs_[static_cast<size_t>(index)].scaleX;
}
