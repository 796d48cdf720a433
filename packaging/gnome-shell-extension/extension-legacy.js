// The entry of QuillonMacro's GNOME Shell extension for GNOME Shell 43 and 44, which load extensions as
// scripts: starts and stops the window service of service.js.
const {Gio, GLib, Meta} = imports.gi;
const ExtensionUtils = imports.misc.extensionUtils;
const Main = imports.ui.main;
const {WindowsService} = ExtensionUtils.getCurrentExtension().imports.service;

class QuillonMacroWindows {
    enable() {
        this._service = new WindowsService(Gio, GLib, Meta, global, Main);
        this._service.enable();
    }

    disable() {
        this._service.disable();
        this._service = null;
    }
}

function init() {
    return new QuillonMacroWindows();
}
