// The windows of a GNOME Shell desktop: not yet reached, so the window functions say they are unavailable.
#include "gnome_shell_windows.h"

namespace {

class UnreachedWindows final : public CompositorWindows {
  public:
    std::u16string Open() override { return u"GNOME のウィンドウはまだ操作できません"; }
    int32_t Find(const std::string&, const std::string*) override { return 0; }
    bool Placement(int32_t, WindowPlacement&) override { return false; }
    void Move(int32_t, int32_t, int32_t, int32_t, int32_t) override {}
    int32_t Command(int32_t, int32_t) override { return 0; }
};

} // namespace

std::unique_ptr<CompositorWindows> CreateGnomeShellWindows() {
    return std::make_unique<UnreachedWindows>();
}
