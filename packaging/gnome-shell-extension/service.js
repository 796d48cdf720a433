// The window service of QuillonMacro's GNOME Shell extension: lists the top-level windows topmost first and
// moves, maximises, minimises, restores and closes them for QuillonMacro, over the user's own session bus.
//
// This file serves both forms of the extension: GNOME Shell 43-44 import it as a script (the top-level var is
// what they see) and 45 and later as a module (the build appends the export). So it imports nothing itself:
// the entry file hands it Gio, GLib and Meta.

var BUS_NAME = 'org.quillonmacro.Windows';
var OBJECT_PATH = '/org/quillonmacro/Windows';

// Version answers 1 while the methods keep these signatures. State: 1 normal, 2 minimised, 3 maximised.
// Shown: the window can be seen on the current workspace (not minimised, not on another workspace). The
// rectangle is the window's frame (its visible bounds, without shadows) in desktop pixels.
var INTERFACE_XML = `
<node>
  <interface name="org.quillonmacro.Windows1">
    <method name="Version">
      <arg type="u" direction="out" name="version"/>
    </method>
    <method name="List">
      <arg type="a(usssubiiii)" direction="out"
           name="windows_handle_class_instance_title_state_shown_x_y_width_height"/>
    </method>
    <method name="Move">
      <arg type="u" direction="in" name="handle"/>
      <arg type="i" direction="in" name="x"/>
      <arg type="i" direction="in" name="y"/>
      <arg type="i" direction="in" name="width"/>
      <arg type="i" direction="in" name="height"/>
      <arg type="b" direction="out" name="found"/>
    </method>
    <method name="Maximize">
      <arg type="u" direction="in" name="handle"/>
      <arg type="b" direction="out" name="found"/>
    </method>
    <method name="Minimize">
      <arg type="u" direction="in" name="handle"/>
      <arg type="b" direction="out" name="found"/>
    </method>
    <method name="Restore">
      <arg type="u" direction="in" name="handle"/>
      <arg type="b" direction="out" name="found"/>
    </method>
    <method name="Close">
      <arg type="u" direction="in" name="handle"/>
      <arg type="b" direction="out" name="found"/>
    </method>
  </interface>
</node>`;

var WindowsService = class {
    constructor(Gio, GLib, Meta, shellGlobal, shellMain) {
        this._Gio = Gio;
        this._GLib = GLib;
        this._Meta = Meta;
        this._global = shellGlobal;
        this._main = shellMain; // the shell's ui/main, whose activateWindow also leaves the overview
        // Handles are ours: small positive numbers, given on first sight and never reused, so a macro's
        // handle cannot come to name another window. Mutter's own ids of Wayland windows exceed 32 bits.
        this._nextHandle = 1;
        this._handles = new Map(); // Meta.Window -> handle
        this._windows = new Map(); // handle -> {window, unmanagedId}
        // Windows created while the service runs and not yet shown: mutter places a window when it first
        // shows it, over any earlier move, so a move asked before then is kept here and made on showing.
        this._unshown = new Map(); // Meta.Window -> {signalIds, rect}
        this._createdId = 0;
        this._exported = null;
        this._nameId = 0;
    }

    enable() {
        this.watchNewWindows();
        this._exported = this._Gio.DBusExportedObject.wrapJSObject(INTERFACE_XML, this);
        this._exported.export(this._Gio.DBus.session, OBJECT_PATH);
        this._nameId = this._Gio.bus_own_name_on_connection(this._Gio.DBus.session, BUS_NAME,
            this._Gio.BusNameOwnerFlags.NONE, null, null);
    }

    disable() {
        if (this._nameId !== 0)
            this._Gio.bus_unown_name(this._nameId);
        this._nameId = 0;
        if (this._exported !== null)
            this._exported.unexport();
        this._exported = null;
        for (const entry of this._windows.values())
            entry.window.disconnect(entry.unmanagedId);
        this._windows.clear();
        this._handles.clear();
        if (this._createdId !== 0)
            this._global.display.disconnect(this._createdId);
        this._createdId = 0;
        for (const [window, entry] of this._unshown)
            entry.signalIds.forEach(id => window.disconnect(id));
        this._unshown.clear();
    }

    // From now on each new window is followed until it first shows.
    watchNewWindows() {
        this._createdId = this._global.display.connect('window-created', (display, window) => {
            const forget = () => {
                this._unshown.get(window).signalIds.forEach(id => window.disconnect(id));
                this._unshown.delete(window);
            };
            const signalIds = [
                window.connect('shown', () => {
                    const rect = this._unshown.get(window).rect;
                    forget();
                    if (rect !== null)
                        this._moveNow(window, ...rect);
                }),
                window.connect('unmanaged', forget),
            ];
            this._unshown.set(window, {signalIds, rect: null});
        });
    }

    // Normal windows and dialogs: what a user calls a window. Menus, tooltips and the like are left out.
    _isTopLevel(window) {
        const WindowType = this._Meta.WindowType;
        const type = window.get_window_type();
        return !window.is_override_redirect() &&
            (type === WindowType.NORMAL || type === WindowType.DIALOG || type === WindowType.MODAL_DIALOG);
    }

    _handleOf(window) {
        let handle = this._handles.get(window);
        if (handle !== undefined)
            return handle;
        if (this._nextHandle > 0x7fffffff)
            return 0;
        handle = this._nextHandle++;
        const unmanagedId = window.connect('unmanaged', () => {
            window.disconnect(unmanagedId);
            this._handles.delete(window);
            this._windows.delete(handle);
        });
        this._handles.set(window, handle);
        this._windows.set(handle, {window, unmanagedId});
        return handle;
    }

    _window(handle) {
        const entry = this._windows.get(handle);
        return entry !== undefined ? entry.window : null;
    }

    _time() {
        return this._global.display.get_current_time_roundtrip();
    }

    _state(window) {
        if (window.minimized)
            return 2;
        return window.get_maximized() === this._Meta.MaximizeFlags.BOTH ? 3 : 1;
    }

    _shown(window) {
        const active = this._global.workspace_manager.get_active_workspace();
        return !window.minimized && window.showing_on_its_workspace() &&
            (window.is_on_all_workspaces() || window.get_workspace() === active);
    }

    Version() {
        return 1;
    }

    // Topmost first, in the compositor's stacking order.
    List() {
        const display = this._global.display;
        const windows = display.sort_windows_by_stacking(display.list_all_windows().filter(
            w => this._isTopLevel(w)));
        const list = [];
        for (const window of windows.reverse()) {
            const handle = this._handleOf(window);
            if (handle === 0)
                continue;
            const frame = window.get_frame_rect();
            list.push([handle, window.get_wm_class() || '', window.get_wm_class_instance() || '',
                window.get_title() || '', this._state(window), this._shown(window),
                frame.x, frame.y, frame.width, frame.height]);
        }
        return list;
    }

    // The frame goes to (x, y) with the given size; a window not yet shown goes there when it shows.
    Move(handle, x, y, width, height) {
        const window = this._window(handle);
        if (window === null)
            return false;
        const unshown = this._unshown.get(window);
        if (unshown !== undefined) {
            unshown.rect = [x, y, width, height];
            if (window.minimized)
                window.unminimize(); // which shows it
        } else {
            this._moveNow(window, x, y, width, height);
        }
        return true;
    }

    // A maximised or full-screen window keeps its geometry whatever it is asked, so it is made normal first;
    // a minimised one is shown again.
    _moveNow(window, x, y, width, height) {
        if (window.is_fullscreen())
            window.unmake_fullscreen();
        if (window.get_maximized() !== 0)
            window.unmaximize(this._Meta.MaximizeFlags.BOTH);
        if (window.minimized)
            window.unminimize();
        window.move_resize_frame(true, x, y, Math.max(1, width), Math.max(1, height));
    }

    Maximize(handle) {
        const window = this._window(handle);
        if (window === null)
            return false;
        if (window.minimized)
            window.unminimize();
        window.maximize(this._Meta.MaximizeFlags.BOTH);
        return true;
    }

    Minimize(handle) {
        const window = this._window(handle);
        if (window === null)
            return false;
        window.minimize();
        return true;
    }

    // Back to the normal state from either minimised or maximised, and made the active window, as the restore
    // command does on Windows: through the shell, which also leaves the overview (GNOME starts in it) so the
    // window is shown.
    Restore(handle) {
        const window = this._window(handle);
        if (window === null)
            return false;
        if (window.get_maximized() !== 0)
            window.unmaximize(this._Meta.MaximizeFlags.BOTH);
        if (window.minimized)
            window.unminimize();
        this._main.activateWindow(window, this._time());
        return true;
    }

    // Asks the application to close the window, as its close button does; an application may ask first.
    Close(handle) {
        const window = this._window(handle);
        if (window === null)
            return false;
        window.delete(this._time());
        return true;
    }
};
