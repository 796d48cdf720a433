# Helpers for the tests that see QuillonMacro and Glossel through the desktop accessibility interface (AT-SPI):
# turning the interface on, starting a program and finding it in the tree, polling, walking and pressing.
import os
import subprocess
import tempfile
import time

from gi.repository import Gio, GLib


# Qt registers a program with the accessibility bus only when that bus says assistive technology is in use:
# the property IsEnabled (or ScreenReaderEnabled) of org.a11y.Status on the session bus, read when the program
# starts. A screen reader sets it; so do these tests, before any program starts. (QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# in the program's environment works as well, but it is not what a person's desktop does, so it is kept out of
# the programs' environment here.) Asking org.a11y.Bus starts at-spi-bus-launcher in this private session; the
# registry on the accessibility bus starts when pyatspi first asks for the desktop.
def enable_accessibility():
    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                      GLib.Variant("(ssv)", ("org.a11y.Status", "IsEnabled", GLib.Variant("b", True))),
                      None, Gio.DBusCallFlags.NONE, 10000, None)
    reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                              GLib.VariantType.new("(s)"), Gio.DBusCallFlags.NONE, 10000, None)
    return reply.unpack()[0]


ACCESSIBILITY_BUS_ADDRESS = enable_accessibility()

import pyatspi  # noqa: E402  (the bus must be enabled first)


def wait_for(condition, what, timeout=20.0, interval=0.05):
    """Polls condition until it returns a true value, which is returned; fails with what after timeout."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = condition()
            if value:
                return value
        except GLib.Error as error:  # an object that went away while it was read
            last_error = error
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what +
                                 ("" if last_error is None else " (last error: %s)" % last_error))
        time.sleep(interval)


def wait_for_value(read, expected, what, timeout=20.0):
    """Polls read() until it gives expected; on timeout the failure shows the last value read."""
    seen = []

    def equal():
        seen[:] = [read()]
        return seen[0] == expected

    try:
        wait_for(equal, what, timeout)
    except AssertionError as failure:
        raise AssertionError("%s: expected %r, last read %r" % (failure, expected, seen[0] if seen else None))


def children(node):
    result = []
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            result.append(child)
    return result


def walk(node):
    """Every node below node, node first, read afresh from the program."""
    node.clear_cache()
    stack = [node]
    while stack:
        current = stack.pop()
        yield current
        stack.extend(reversed(children(current)))


def find_all(root, role=None, name=None):
    return [n for n in walk(root)
            if (role is None or n.getRoleName() == role) and (name is None or n.name == name)]


def find(root, role=None, name=None):
    found = find_all(root, role, name)
    return found[0] if found else None


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def has_state(node, state):
    return node.getState().contains(state)


def text_of(node):
    return node.queryText().getText(0, -1)


def set_text(node, text):
    """Replaces the text of an editable text node through the editable-text interface."""
    editable = node.queryEditableText()
    editable.setTextContents("")
    # The length is given: Qt takes that many characters of the text (and none for -1).
    if not editable.insertText(0, text, len(text)):
        raise AssertionError("the text was refused by " + repr(node.name))


def action_names(node):
    action = node.queryAction()
    return [action.getName(i) for i in range(action.nActions)]


def press(node):
    """Performs the node's first action and waits for the program's answer."""
    if not node.queryAction().doAction(0):
        raise AssertionError("no action performed on " + repr(node.name))


_accessibility_bus = None


def press_without_waiting(node):
    """Performs the node's first action without waiting for an answer. Qt answers an action only when the
    code behind it returns, so pressing an item that opens a modal dialog leaves the caller without an answer
    until the dialog is closed: the request is sent as one that expects no reply."""
    global _accessibility_bus
    if _accessibility_bus is None:
        _accessibility_bus = Gio.DBusConnection.new_for_address_sync(
            ACCESSIBILITY_BUS_ADDRESS,
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
            None, None)
    message = Gio.DBusMessage.new_method_call(node.app.bus_name, node.path, "org.a11y.atspi.Action",
                                              "DoAction")
    message.set_body(GLib.Variant("(i)", (0,)))
    message.set_flags(Gio.DBusMessageFlags.NO_REPLY_EXPECTED)
    _accessibility_bus.send_message(message, Gio.DBusSendMessageFlags.NONE)
    _accessibility_bus.flush_sync(None)


class RegistryUnavailable(AssertionError):
    """A started program never appeared in the accessibility registry: the registry of the private session
    failed to register with its bus ("Did not receive a reply"; seen while two sessions shared one bus path,
    see run-in-session.sh). The session is then unusable for every later program, so the whole run is
    repeated in a new session."""


_registry_failed = False

# The exit status that asks the test command to repeat the run in a fresh session (see CMakeLists.txt).
EXIT_SESSION_UNUSABLE = 75


def registry_report():
    """What the session says about accessibility, for a failure message: the enabled flag and the programs
    the registry lists."""
    try:
        session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Get",
                                  GLib.Variant("(ss)", ("org.a11y.Status", "IsEnabled")), None,
                                  Gio.DBusCallFlags.NONE, 5000, None)
        enabled = reply.unpack()[0]
        listed = [(application.name, application.get_process_id())
                  for application in children(pyatspi.Registry.getDesktop(0))]
        return "accessibility enabled: %s, programs listed: %s" % (enabled, listed)
    except (GLib.Error, RuntimeError) as error:
        return "the accessibility state could not be read: %s" % error


class Program:
    """One started program, found in the accessibility tree by its process id; stopped by stop()."""

    def __init__(self, path, *arguments):
        self.state = tempfile.TemporaryDirectory(prefix="qm-a11y-")
        environment = dict(os.environ, QT_QPA_PLATFORM="xcb", HOME=self.state.name,
                           XDG_CONFIG_HOME=os.path.join(self.state.name, "config"),
                           XDG_STATE_HOME=os.path.join(self.state.name, "state"),
                           XDG_CACHE_HOME=os.path.join(self.state.name, "cache"))
        environment.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
        environment.pop("QT_ACCESSIBILITY", None)
        global _registry_failed
        if _registry_failed:
            self.state.cleanup()
            raise RegistryUnavailable("the registry of this session has already failed")
        self.process = subprocess.Popen([path, *arguments], env=environment)
        try:
            # A program normally appears within a second or two. The registry calls every program it knows,
            # and one that has just been stopped keeps such a call waiting for D-Bus's own time-out (25 s),
            # which holds up the next program's registration on a loaded machine: hence the long wait.
            self.application = wait_for(self._find_application, "the accessible application of " + path,
                                        timeout=60.0)
        except AssertionError as failure:
            self.stop()
            _registry_failed = True
            raise RegistryUnavailable("%s; %s" % (failure, registry_report()))
        except BaseException:
            self.stop()
            raise

    def _find_application(self):
        if self.process.poll() is not None:
            raise AssertionError("the program ended with status %d" % self.process.returncode)
        desktop = pyatspi.Registry.getDesktop(0)
        for application in children(desktop):
            if application.get_process_id() == self.process.pid:
                return application
        return None

    def window(self, role, name, timeout=20.0):
        """The top-level window of that role and name, once it is shown."""
        def shown():
            for node in children(self.application):
                node.clear_cache()
                if node.getRoleName() == role and node.name == name and showing(node):
                    return node
            return None
        return wait_for(shown, "the %s %r" % (role, name), timeout)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.state.cleanup()
