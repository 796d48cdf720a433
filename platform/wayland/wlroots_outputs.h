// WlrootsOutputs: the compositor's monitors and where each lies in the desktop, from wl_output and, when
// offered, xdg-output's logical position and size (which take the output's scale and rotation into account).
#pragma once

#include "desktop_platform.h"
#include "physical_layout.h"

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
    // From wl_output: the position it announces, the current mode's pixels, the scale and the turn.
    int32_t geometryX = 0;
    int32_t geometryY = 0;
    int32_t modeWidth = 0;
    int32_t modeHeight = 0;
    int32_t scale = 1;
    int32_t transform = 0; // wl_output's: the odd ones turn it a quarter
    // From xdg-output, in the compositor's layout coordinates.
    bool hasLogical = false;
    int32_t logicalX = 0;
    int32_t logicalY = 0;
    int32_t logicalWidth = 0;
    int32_t logicalHeight = 0;

    // The output's rectangle in the compositor's layout coordinates.
    ScreenRect Layout() const;
    // Its pixels: the mode's, turned with the output when the layout shows it turned.
    ScaledOutput Scaled() const;
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
    // The outputs that have a size, in the order of All(), and the desktop they make in physical pixels
    // (entry i of the layout is shown[i]). A macro's positions are these pixels at any scale.
    PhysicalLayout Physical(std::vector<const WlrootsOutput*>* shown = nullptr) const;
    // The whole desktop in physical pixels, from (0, 0); empty when there is none.
    ScreenRect Desktop() const { return Physical().Desktop(); }
    // The output at layout (0, 0), else the first, in desktop pixels; false when there is none.
    bool Primary(ScreenRect& out) const;

  private:
    void Describe(WlrootsOutput& output);

    zxdg_output_manager_v1* xdgManager_ = nullptr;
    std::vector<std::unique_ptr<WlrootsOutput>> outputs_;
};
