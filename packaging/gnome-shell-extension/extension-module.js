// The entry of QuillonMacro's GNOME Shell extension for GNOME Shell 45 and later, which load extensions as
// modules: starts and stops the window service of service.js.
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import {WindowsService} from './service.js';

export default class QuillonMacroWindows extends Extension {
    enable() {
        this._service = new WindowsService(Gio, GLib, Meta, global, Main);
        this._service.enable();
    }

    disable() {
        this._service.disable();
        this._service = null;
    }
}
