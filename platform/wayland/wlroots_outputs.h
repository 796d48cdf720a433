// WlrootsOutputs: the compositor's monitors and where each lies in the desktop, from wl_output and, when
// offered, xdg-output's logical position and size (which take the output's scale and rotation into account).
#pragma once

#include "desktop_platform.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct wl_output;
struct zxdg_output_v1;
struct zxdg_output_manager_v1;

struct WlrootsOutput {
    uint32_t globalName = 0;
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    std::string name;
    // From wl_output: the position it announces, the current mode's pixels and the scale.
    int32_t geometryX = 0;
    int32_t geometryY = 0;
    int32_t modeWidth = 0;
    int32_t modeHeight = 0;
    int32_t scale = 1;
    // From xdg-output, in the compositor's layout coordinates.
    bool hasLogical = false;
    int32_t logicalX = 0;
    int32_t logicalY = 0;
    int32_t logicalWidth = 0;
    int32_t logicalHeight = 0;

    // The output's rectangle in the compositor's layout coordinates.
    ScreenRect Layout() const;
};

class WlrootsOutputs {
  public:
    WlrootsOutputs() = default;
    ~WlrootsOutputs();
    WlrootsOutputs(const WlrootsOutputs&) = delete;
    WlrootsOutputs& operator=(const WlrootsOutputs&) = delete;

    void SetXdgManager(zxdg_output_manager_v1* manager);
    void Add(uint32_t globalName, wl_output* output);
    void Remove(uint32_t globalName);

    const std::vector<std::unique_ptr<WlrootsOutput>>& All() const { return outputs_; }
    // The bounding box of all outputs in layout coordinates; empty when there is none. Desktop pixel (0, 0)
    // is the box's top-left corner.
    ScreenRect Box() const;
    // The output at layout (0, 0), else the first, in desktop pixels; false when there is none.
    bool Primary(ScreenRect& out) const;

  private:
    void Describe(WlrootsOutput& output);

    zxdg_output_manager_v1* xdgManager_ = nullptr;
    std::vector<std::unique_ptr<WlrootsOutput>> outputs_;
};
