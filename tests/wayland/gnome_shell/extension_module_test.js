// The module form of our GNOME Shell extension (the one GNOME Shell 45 and later load) run by gjs outside
// the shell against fake windows: it loads as a module, lists topmost first, keeps handles, and orders moves.
// Usage: gjs -m extension_module_test.js MODULE_DIR
import GLib from 'gi://GLib';
import Gio from 'gi://Gio';
import System from 'system';

const moduleDir = ARGV[0];
const {WindowsService} = await import(`file://${moduleDir}/service.js`);

let passed = 0;
let failed = 0;
function check(what, condition) {
    if (condition) {
        passed++;
    } else {
        failed++;
        printerr(`FAIL: ${what}`);
    }
}

const Meta = {
    WindowType: {NORMAL: 0, DIALOG: 3, MODAL_DIALOG: 4, MENU: 5},
    MaximizeFlags: {BOTH: 3},
};

class FakeWindow {
    constructor(name, type = Meta.WindowType.NORMAL) {
        this.name = name;
        this.type = type;
        this.minimized = false;
        this.maximized = 0;
        this.frame = {x: 10, y: 20, width: 300, height: 200};
        this.calls = [];
        this.handlers = new Map();
        this.nextId = 1;
    }

    get_window_type() { return this.type; }
    is_override_redirect() { return false; }
    get_wm_class() { return `${this.name}.class`; }
    get_wm_class_instance() { return `${this.name}.instance`; }
    get_title() { return `${this.name} title`; }
    get_maximized() { return this.maximized; }
    get_frame_rect() { return this.frame; }
    is_fullscreen() { return false; }
    showing_on_its_workspace() { return !this.minimized; }
    is_on_all_workspaces() { return false; }
    get_workspace() { return 'active'; }
    connect(signal, handler) {
        const id = this.nextId++;
        this.handlers.set(id, [signal, handler]);
        return id;
    }

    disconnect(id) { this.handlers.delete(id); }
    emit(signal) {
        for (const [name, handler] of [...this.handlers.values()]) {
            if (name === signal)
                handler();
        }
    }

    unmaximize() { this.calls.push('unmaximize'); this.maximized = 0; }
    unminimize() { this.calls.push('unminimize'); this.minimized = false; }
    minimize() { this.calls.push('minimize'); this.minimized = true; }
    maximize() { this.calls.push('maximize'); this.maximized = 3; }
    activate() { this.calls.push('activate'); }
    delete() { this.calls.push('delete'); }
    move_resize_frame(userOp, x, y, width, height) {
        this.calls.push(`move ${x},${y},${width},${height} maximized=${this.maximized}`);
        this.frame = {x, y, width, height};
    }
}

// Stacking bottom first, as mutter sorts.
let stack = [];
const shellGlobal = {
    display: {
        list_all_windows: () => [...stack].reverse(),
        sort_windows_by_stacking: windows => stack.filter(w => windows.includes(w)),
        get_current_time_roundtrip: () => 42,
        createdHandlers: [],
        connect(signal, handler) {
            this.createdHandlers.push(handler);
            return this.createdHandlers.length;
        },
        disconnect() {},
    },
    workspace_manager: {get_active_workspace: () => 'active'},
};

const bottom = new FakeWindow('bottom');
const menu = new FakeWindow('menu', Meta.WindowType.MENU);
const dialog = new FakeWindow('dialog', Meta.WindowType.DIALOG);
const top = new FakeWindow('top');
stack = [bottom, menu, dialog, top];
// The shell's ui/main: activating a window through it also leaves the overview.
const shellMain = {activateWindow(window) { window.calls.push('activate through the shell'); }};
const service = new WindowsService(Gio, GLib, Meta, shellGlobal, shellMain);

check('the interface answers version 1', service.Version() === 1);
let list = service.List();
check('menus are left out', list.length === 3);
check('topmost first', list.map(e => e[1]).join() === 'top.class,dialog.class,bottom.class');
check('an entry has handle, class, instance, title, state, shown and the frame',
    JSON.stringify(list[0].slice(1)) === JSON.stringify(['top.class', 'top.instance', 'top title', 1, true,
        10, 20, 300, 200]));
const handles = new Map(list.map(e => [e[1], e[0]]));
check('handles are small positive numbers', [...handles.values()].every(h => h >= 1 && h <= 3));

// Raised: the order changes, the handles do not.
stack = [menu, dialog, top, bottom];
list = service.List();
check('a raised window comes first', list[0][1] === 'bottom.class');
check('handles stay with their windows', list.every(e => handles.get(e[1]) === e[0]));

// A window that goes away takes its handle along; a new window never gets it again.
const topHandle = handles.get('top.class');
top.emit('unmanaged');
stack = [menu, dialog, bottom];
check('a gone window is not found by its handle', service.Maximize(topHandle) === false);
const newer = new FakeWindow('newer');
stack.push(newer);
list = service.List();
check('a new window gets a new handle', list[0][1] === 'newer.class' && list[0][0] > 3);

// A maximised window is made normal before it is moved; a minimised one shown.
const bottomHandle = handles.get('bottom.class');
bottom.maximized = 3;
bottom.minimized = true;
check('move finds the window', service.Move(bottomHandle, 5, 6, 0, 480) === true);
check('unmaximised and shown before the move',
    bottom.calls.join('|') === 'unmaximize|unminimize|move 5,6,1,480 maximized=0');
bottom.calls = [];
check('states: minimised 2', (bottom.minimized = true) && service.List().find(e => e[0] === bottomHandle)[4] === 2);
check('a minimised window is not shown', service.List().find(e => e[0] === bottomHandle)[5] === false);
bottom.minimized = false;
bottom.maximized = 3;
check('states: maximised 3', service.List().find(e => e[0] === bottomHandle)[4] === 3);
service.Restore(bottomHandle);
check('restore makes it normal and activates it', bottom.calls.join('|') === 'unmaximize|activate through the shell');
bottom.calls = [];
bottom.minimized = true;
service.Maximize(bottomHandle);
check('maximise shows a minimised window first', bottom.calls.join('|') === 'unminimize|maximize');
bottom.calls = [];
service.Close(bottomHandle);
check('close asks the window to close', bottom.calls.join('|') === 'delete');
check('unknown handles are not found', !service.Move(999, 0, 0, 1, 1) && !service.Minimize(0) &&
    !service.Restore(999) && !service.Close(999));

// Mutter places a new window when it first shows it, over any earlier move: a move asked before then is made
// once the window has shown, and a window moved after that moves at once.
service.watchNewWindows();
const fresh = new FakeWindow('fresh');
shellGlobal.display.createdHandlers.forEach(handler => handler(shellGlobal.display, fresh));
stack.push(fresh);
const freshHandle = service.List()[0][0];
check('a window not yet shown is found for a move', service.Move(freshHandle, 300, 200, 400, 300) === true);
check('it is not moved before it shows', fresh.calls.length === 0);
fresh.emit('shown');
check('it is moved once it shows', fresh.calls.join('|') === 'move 300,200,400,300 maximized=0');
fresh.calls = [];
fresh.emit('shown');
check('it is moved only once', fresh.calls.length === 0);
service.Move(freshHandle, 10, 20, 30, 40);
check('after showing it moves at once', fresh.calls.join('|') === 'move 10,20,30,40 maximized=0');
const hidden = new FakeWindow('hidden');
shellGlobal.display.createdHandlers.forEach(handler => handler(shellGlobal.display, hidden));
hidden.minimized = true;
stack.push(hidden);
service.Move(service.List()[0][0], 1, 2, 3, 4);
check('a window created minimised is shown for its move', hidden.calls.join('|') === 'unminimize');
hidden.emit('shown');
check('and moved when it shows', hidden.calls.join('|') === 'unminimize|move 1,2,3,4 maximized=0');

// The entry file is a module too: importing it fails only on the shell's own resource, never on syntax.
try {
    await import(`file://${moduleDir}/extension.js`);
    check('the entry needs the shell', false);
} catch (e) {
    check(`the entry parses as a module (${e.name}: ${e.message})`, !(e instanceof SyntaxError));
}

print(`${passed} passed, ${failed} failed`);
System.exit(failed === 0 ? 0 : 1);
