// PhysicalLayout: the desktop in physical pixels for a compositor that lays its outputs out in logical
// (scaled) coordinates, and the conversions between the two, so a macro's positions mean screen pixels.
#pragma once

#include "desktop_platform.h"

#include <vector>

// One output: where the compositor puts it (logical coordinates) and how many pixels it really has.
struct ScaledOutput {
    ScreenRect logical;
    int32_t pixelWidth = 0;
    int32_t pixelHeight = 0;
};

// The rule: each output keeps its place in the compositor's layout, and its physical size; an output is
// pushed right (down) past the physical extent of the outputs wholly to its left (above), so outputs that
// touch in the layout touch in desktop pixels, and none overlaps. With every scale 1 the desktop equals the
// layout moved to start at (0, 0).
class PhysicalLayout {
  public:
    PhysicalLayout() = default;
    explicit PhysicalLayout(const std::vector<ScaledOutput>& outputs);

    // The whole desktop, from (0, 0); empty when there is no output.
    ScreenRect Desktop() const { return desktop_; }
    // The bounding box of the outputs in layout coordinates.
    ScreenRect LayoutBox() const { return layoutBox_; }
    size_t Count() const { return outputs_.size(); }
    // The output's rectangle in desktop pixels, in the order given.
    ScreenRect DesktopRect(size_t index) const { return outputs_[index].desktop; }
    // The output showing a desktop pixel (else the nearest one); -1 when there is none.
    int OutputAtPixel(int32_t x, int32_t y) const;
    // The layout point a desktop pixel's top-left corner lies at; a pixel outside every output is placed
    // as the nearest output would show it, beyond its edge.
    bool ToLayout(int32_t x, int32_t y, double& layoutX, double& layoutY) const;
    // The desktop pixel showing a layout point.
    bool ToDesktop(double layoutX, double layoutY, int32_t& x, int32_t& y) const;
    // A layout rectangle (a window) in desktop pixels, scaled by the output showing its top-left corner.
    ScreenRect RectToDesktop(const ScreenRect& layout) const;
    // A size in desktop pixels as the layout's size on the output showing the desktop pixel (x, y).
    void SizeToLayout(int32_t x, int32_t y, int32_t width, int32_t height, int32_t& layoutWidth,
                      int32_t& layoutHeight) const;
    // The horizontal and vertical scale of the output showing a desktop pixel (1 when there is none).
    double ScaleAt(int32_t x, int32_t y) const;

  private:
    struct Placed {
        ScreenRect logical;
        ScreenRect desktop;
        double scaleX = 1;
        double scaleY = 1;
    };
    int OutputAtLayout(double x, double y) const;

    std::vector<Placed> outputs_;
    ScreenRect desktop_;
    ScreenRect layoutBox_;
};
