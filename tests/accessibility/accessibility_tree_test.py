# GUI tests that see QuillonMacro and Glossel as a screen reader or a GUI test tool does: through the desktop
# accessibility tree (AT-SPI). Run in a private D-Bus session on a private display (see CMakeLists.txt).
# Usage: accessibility_tree_test.py QUILLONMACRO GLOSSEL [unittest arguments, e.g. EditorWindow]
import configparser
import os
import signal
import subprocess
import sys
import unittest

import atspi_support as at
from atspi_support import pyatspi

EDITOR = sys.argv[1]
VIEWER = sys.argv[2]

# Controls a person operates or reads; each must have a name of its own. Containers (fillers, menu bars,
# popup menus), scroll bars and separators are not controls in this sense.
CONTROL_ROLES = {"push button", "toggle button", "check box", "radio button", "text", "list", "list item",
                 "status bar", "label", "panel", "combo box", "spin button", "slider"}


def nameless_controls(window):
    return ["%s at %s" % (n.getRoleName(), n.path) for n in at.walk(window)
            if n.getRoleName() in CONTROL_ROLES and at.showing(n) and not n.name.strip()]


def child_names(node, role):
    return [c.name for c in at.children(node) if c.getRoleName() == role]


class EditorWindow(unittest.TestCase):
    def setUp(self):
        self.program = at.Program(EDITOR)
        self.addCleanup(self.program.stop)
        self.window = self.program.window("frame", "Quillonマクロ")
        self.editor = at.find(self.window, "text", "マクロ")
        self.status = at.find(self.window, "status bar", "ステータスバー")

    def close_without_saving(self):
        """Closes the window through its menu and answers No to the question about the modified text, so the
        program ends as a person ends it (and removes its buffer file)."""
        at.press_without_waiting(at.find(self.window, "menu item", "終了(X)"))
        question = self.program.window("alert", "QuillonMacro")
        self.assertIsNotNone(at.find(question, "label", "マクロ内容が変更されています。\n保存して終了しますか？"))
        # The toolkit's own caption: "いいえ(N)" with Qt's Japanese translations, "No" without them.
        no = [b for b in at.find_all(question, "push button") if b.name in ("いいえ(N)", "いいえ", "No")]
        self.assertEqual(len(no), 1, [b.name for b in at.find_all(question, "push button")])
        at.press(no[0])
        at.wait_for(lambda: self.program.process.poll() is not None, "the program to end", 20)

    def test_window_menus_buttons_and_panes_are_named(self):
        # Qt drops the "&" that marks a menu's access key and keeps the letter in brackets.
        menu_bar = at.find(self.window, "menu bar")
        self.assertEqual(child_names(menu_bar, "menu item"),
                         ["ファイル(F)", "編集(E)", "実行(E)", "ツール(T)", "ヘルプ(H)"])
        file_menu = at.find(at.find(menu_bar, "menu item", "ファイル(F)"), "popup menu")
        self.assertEqual(child_names(file_menu, "menu item"), ["新規作成(N)", "開く(O)", "保存(S)", "終了(X)"])
        for caption in ("すべて選択", "先頭から実行(R)", "強制停止(S)", "関数呼び出し(F)", "MUS/KBD高速入力",
                        "タブサイズ(T)", "デバッグのクリア(C)", "関数ビューア(F)", "バージョン情報"):
            self.assertIsNotNone(at.find(menu_bar, "menu item", caption), caption)

        toolbar = at.find(self.window, name="ツールバー")
        self.assertEqual(child_names(toolbar, "push button"), ["新しいマクロ", "開く", "保存", "実行", "停止",
                                                                "一時停止", "続行", "ステップ実行", "ステップイン",
                                                                "ステップアウト", "カーソル行まで実行"])
        # Nothing runs yet: 停止 and the debugger's buttons for a run are disabled (the two steps that start a
        # run are not), and a disabled button offers no action.
        for button in at.find_all(toolbar, "push button"):
            enabled = button.name not in ("停止", "一時停止", "続行", "ステップアウト")
            self.assertEqual(at.has_state(button, pyatspi.STATE_ENABLED), enabled, button.name)
            self.assertEqual(at.action_names(button), ["Press"] if enabled else [], button.name)

        log = at.find(self.window, "text", "デバッグ")
        self.assertIsNotNone(self.editor)
        self.assertIsNotNone(log)
        self.assertTrue(at.has_state(self.editor, pyatspi.STATE_EDITABLE))
        self.assertFalse(at.has_state(log, pyatspi.STATE_EDITABLE))
        self.assertIsNotNone(at.find(self.window, name="区切り"))
        self.assertEqual(at.text_of(self.status), "行＝1")
        self.assertEqual(nameless_controls(self.window), [])

    def test_editing_a_missing_file_logs_the_reason_in_japanese(self):
        # "--edit FILE" of a file that is not there: the load's two lines in the log, the system's reason in
        # Japanese (it was the English "No such file or directory").
        missing = os.path.join(self.program.state.name, "無いマクロ.qlx")
        program = at.Program(EDITOR, "--edit", missing)
        self.addCleanup(program.stop)
        window = program.window("frame", "Quillonマクロ - " + missing)
        log = at.find(window, "text", "デバッグ")
        at.wait_for_value(lambda: at.text_of(log).replace("\r", "").splitlines(),
                          ["マクロの読み込みに失敗しました。 - " + missing, "ファイルまたはフォルダが見つかりません"],
                          "the log of the failed load")

    def test_typed_text_appears_in_the_editor_and_the_caret_line_in_the_status_strip(self):
        at.set_text(self.editor, 'PRINT "こんにちは"\n')
        self.assertEqual(at.text_of(self.editor), 'PRINT "こんにちは"\n')

        # Real keys: the window must be the active one before they are typed.
        at.wait_for(lambda: at.has_state(self.window, pyatspi.STATE_ACTIVE), "the editor window to be active")
        self.editor.queryComponent().grabFocus()
        at.wait_for(lambda: at.has_state(self.editor, pyatspi.STATE_FOCUSED), "the focus in the editor")
        self.editor.queryText().setCaretOffset(len('PRINT "こんにちは"\n'))
        subprocess.run(["xdotool", "type", "--delay", "20", "PRINT 1"], check=True)
        subprocess.run(["xdotool", "key", "Return"], check=True)
        at.wait_for_value(lambda: at.text_of(self.editor), 'PRINT "こんにちは"\nPRINT 1\n',
                          "the typed keys in the editor")
        at.wait_for_value(lambda: at.text_of(self.status), "行＝3", "the caret line in the status strip")
        self.close_without_saving()

    def test_quick_input_dialog_opened_from_the_menu_inserts_its_lines(self):
        at.set_text(self.editor, "PRINT 1\n")
        self.editor.queryText().setCaretOffset(len("PRINT 1\n"))
        at.press_without_waiting(at.find(self.window, "menu item", "MUS/KBD高速入力"))
        dialog = self.program.window("dialog", "MUS/KBD高速入力(現在調整中...)")

        keyboard = at.find(dialog, "panel", "キーボード(KBD)")
        mouse = at.find(dialog, "panel", "マウス(MUS)")
        common = at.find(dialog, "panel", "共通")
        self.assertEqual(child_names(keyboard, "radio button"), ["DOWN", "UP", "PRESS"])
        self.assertEqual(child_names(keyboard, "check box"), ["Shift", "Alt", "Ctrl"])
        self.assertEqual(child_names(mouse, "radio button"), ["LEFT DOWN", "LEFT UP", "LEFT PRESS", "RIGHT DOWN",
                                                              "RIGHT UP", "RIGHT PRESS", "MOVE"])
        self.assertEqual(child_names(mouse, "text"), ["X座標", "Y座標"])
        self.assertEqual(child_names(mouse, "push button"), ["入力", "ポインタの位置を取得"])
        self.assertIsNotNone(at.find(mouse, "label", "ポインタ位置の取得状況"))
        self.assertEqual(child_names(common, "check box"), ["絶対座標で入力", "大文字で入力"])
        self.assertEqual(child_names(common, "text"), ["実行前の待ち時間"])
        self.assertEqual(child_names(dialog, "push button"), ["クリア", "適用", "閉じる"])
        checked = [n.name for n in at.walk(dialog) if at.has_state(n, pyatspi.STATE_CHECKED)]
        self.assertEqual(checked, ["PRESS", "LEFT PRESS", "絶対座標で入力", "大文字で入力"])
        self.assertEqual(nameless_controls(dialog), [])

        area = at.find(dialog, "text", "テキストエリア")
        at.set_text(at.find(mouse, "text", "X座標"), "100")
        at.set_text(at.find(mouse, "text", "Y座標"), "200")
        at.press(at.find(mouse, "push button", "入力"))
        # The pixel the absolute position lands on, on the 1280 x 1024 test screen, follows as a comment.
        line = "MUS LEFTPRESS,100,200,0 ' (1, 3)"
        at.wait_for_value(lambda: at.text_of(area), line + "\n", "the mouse line in the text area")
        at.press(at.find(dialog, "push button", "適用"))
        at.wait_for_value(lambda: at.text_of(self.editor), "PRINT 1\nMUSORG 1\n" + line + "\n",
                          "the lines inserted at the editor's caret")
        at.wait_for(lambda: not any(c.getRoleName() == "dialog" for c in at.children(self.program.application)),
                    "the dialog to close")
        self.close_without_saving()

    def focus_editor_at(self, offset):
        """Makes the window active and puts the focus in the editor with the caret at offset, so real keys
        typed next go there."""
        at.wait_for(lambda: at.has_state(self.window, pyatspi.STATE_ACTIVE), "the editor window to be active")
        self.editor.queryComponent().grabFocus()
        at.wait_for(lambda: at.has_state(self.editor, pyatspi.STATE_FOCUSED), "the focus in the editor")
        self.editor.queryText().setCaretOffset(offset)

    def test_keys_typed_in_the_find_bar_stay_in_the_bar(self):
        text = "alpha = 1\nbeta = alpha\n"
        at.set_text(self.editor, text)
        self.focus_editor_at(0)
        subprocess.run(["xdotool", "key", "ctrl+f"], check=True)
        bar = at.wait_for(lambda: at.find(self.window, name="検索バー"), "the find bar")
        find_box = at.find(bar, "text", "検索")
        at.wait_for(lambda: at.has_state(find_box, pyatspi.STATE_FOCUSED), "the focus in the find box")
        subprocess.run(["xdotool", "type", "--delay", "20", "alpha"], check=True)
        subprocess.run(["xdotool", "key", "Return"], check=True)
        at.wait_for_value(lambda: self.editor.queryText().getSelection(0)[:2], (0, 5), "the match selected")
        # Tab moves to the bar's next control; the selected match in the macro stays as it is.
        subprocess.run(["xdotool", "key", "Tab"], check=True)
        at.wait_for(lambda: at.has_state(at.find(bar, "push button", "次を検索"), pyatspi.STATE_FOCUSED),
                    "the focus on 次を検索")
        subprocess.run(["xdotool", "key", "shift+Tab"], check=True)
        at.wait_for(lambda: at.has_state(find_box, pyatspi.STATE_FOCUSED), "the focus back in the find box")
        subprocess.run(["xdotool", "key", "ctrl+slash", "Tab", "x", "Delete"], check=True)
        at.wait_for(lambda: not at.has_state(find_box, pyatspi.STATE_FOCUSED), "the focus to leave the find box")
        self.assertEqual(at.text_of(self.editor), text)
        self.close_without_saving()

    def test_f1_opens_the_viewer_at_the_word_under_the_caret(self):
        at.set_text(self.editor, "x = 1\nMUS LEFTPRESS, 1, 2\n")
        self.focus_editor_at(len("x = 1\nMU"))
        subprocess.run(["xdotool", "key", "F1"], check=True)

        def viewer():
            for application in at.children(pyatspi.Registry.getDesktop(0)):
                for window in at.children(application):
                    if window.getRoleName() == "frame" and window.name == "関数ビューア" and at.showing(window):
                        return application, window
            return None
        application, window = at.wait_for(viewer, "the viewer started by F1", 60)
        self.addCleanup(os.kill, application.get_process_id(), signal.SIGTERM)
        functions = at.find(window, "list", "関数の一覧")
        at.wait_for_value(lambda: [i.name for i in at.find_all(functions, "list item")
                                   if at.has_state(i, pyatspi.STATE_SELECTED)], ["MUS"], "MUS selected")
        self.close_without_saving()

    def test_message_window_of_a_run_and_the_stop_button(self):
        at.set_text(self.editor, 'MES "読み上げのテスト"\nWHILE 1\n  WAIT 20\nWEND\n')
        toolbar = at.find(self.window, name="ツールバー")
        # The run goes on inside the button's click, and Qt answers the action only when the click returns.
        at.press_without_waiting(at.find(toolbar, "push button", "実行"))
        message = self.program.window("frame", "メッセージ")
        self.assertIsNotNone(at.find(message, "label", "読み上げのテスト"))
        self.assertEqual(nameless_controls(message), [])
        self.assertEqual(at.text_of(self.status), "実行中")

        at.press(at.find(toolbar, "push button", "停止"))
        at.wait_for(lambda: at.text_of(self.status) != "実行中", "the run to stop")
        at.wait_for(lambda: all(c.name != "メッセージ" or not at.showing(c)
                                for c in at.children(self.program.application)), "the message window to close")
        self.close_without_saving()


    def paused_at(self, line):
        at.wait_for_value(lambda: at.text_of(self.status), "一時停止　行＝%d" % line, "the pause at line %d" % line)

    def variables_shown(self):
        """The 変数 pane's rows as (name, value, type), read from its cells three by three; the group rows
        (ローカル, グローバル) are left out."""
        tree = [n for n in at.find_all(self.window, name="変数") if n.getRoleName() != "label"][0]
        cells = [c.name for c in at.find_all(tree, "table cell")]
        rows = [tuple(cells[i:i + 3]) for i in range(0, len(cells), 3)]
        return [row for row in rows if row[0] not in ("ローカル", "グローバル")]

    def test_debugger_with_real_keys_breakpoint_steps_variables_and_go_on(self):
        at.set_text(self.editor, "DIM x, r\nx = 1\nx = x + 1\nr = x * 2\nPRINT r\n")
        # F9 on line 3 sets a breakpoint there; F5 runs to it.
        self.focus_editor_at(len("DIM x, r\nx = 1\n"))
        subprocess.run(["xdotool", "key", "F9"], check=True)
        subprocess.run(["xdotool", "key", "F5"], check=True)
        self.paused_at(3)
        at.wait_for_value(self.variables_shown, [("X", "1", "数値"), ("R", "", "空")], "the variables at line 3")
        toolbar = at.find(self.window, name="ツールバー")
        self.assertTrue(at.has_state(at.find(toolbar, "push button", "続行"), pyatspi.STATE_ENABLED))
        self.assertFalse(at.has_state(at.find(toolbar, "push button", "一時停止"), pyatspi.STATE_ENABLED))
        # F10 twice: one line each, the values following.
        subprocess.run(["xdotool", "key", "F10"], check=True)
        self.paused_at(4)
        at.wait_for_value(self.variables_shown, [("X", "2", "数値"), ("R", "", "空")], "the variables at line 4")
        subprocess.run(["xdotool", "key", "F10"], check=True)
        self.paused_at(5)
        at.wait_for_value(self.variables_shown, [("X", "2", "数値"), ("R", "4", "数値")], "the variables at line 5")
        # The 式 field evaluates in the paused run.
        field = at.find(self.window, "text", "式")
        at.set_text(field, "r * 10 + x")
        field.queryComponent().grabFocus()
        at.wait_for(lambda: at.has_state(field, pyatspi.STATE_FOCUSED), "the focus in the 式 field")
        subprocess.run(["xdotool", "key", "Return"], check=True)
        result = at.find(self.window, "text", "評価の結果")
        at.wait_for_value(lambda: at.text_of(result), "＝ 42　（数値）", "the value of the line")
        # F5 goes on to the end.
        subprocess.run(["xdotool", "key", "F5"], check=True)
        log = at.find(self.window, "text", "デバッグ")
        at.wait_for_value(lambda: at.text_of(log).replace("\r", "").splitlines(), ["4", "終了しました。"],
                          "the run's end in the log")
        at.wait_for(lambda: at.text_of(self.status).startswith("行＝"), "the caret's line back in the status strip")
        self.close_without_saving()


class GlosselWindow(unittest.TestCase):
    def setUp(self):
        self.program = at.Program(VIEWER)
        self.addCleanup(self.program.stop)
        self.window = self.program.window("frame", "関数ビューア")

    def description_in_data_file(self, key):
        profile = configparser.RawConfigParser(strict=False, delimiters=("=",), interpolation=None)
        profile.optionxform = str
        profile.read(os.path.join(os.path.dirname(VIEWER), "data", "Data.ini"), encoding="utf-8")
        return profile["FUNCTION"][key].replace("|", "\n")

    def test_lists_search_and_description_are_named_and_readable(self):
        functions = at.find(self.window, "list", "関数の一覧")
        constants = at.find(self.window, "list", "定数/他の一覧")
        search = at.find(self.window, "text", "検索")
        description = at.find(self.window, "text", "説明")
        self.assertEqual(child_names(self.window, "radio button"), ["関数", "定数/他"])
        self.assertTrue(at.showing(functions))
        self.assertFalse(at.showing(constants))
        entries = child_names(functions, "list item")
        self.assertEqual(len(entries), 51)
        self.assertEqual((entries[0], entries[19], entries[-1]), ("ABS", "INT ", "WHILE"))
        self.assertFalse(at.has_state(description, pyatspi.STATE_EDITABLE))
        self.assertEqual(nameless_controls(self.window), [])

        # Typing "mu" selects "MUS" and shows its description from Data.ini.
        at.set_text(search, "mu")
        at.wait_for_value(lambda: at.text_of(search), "MU", "the search text in upper case")
        at.wait_for_value(lambda: [i.name for i in at.find_all(functions, "list item")
                                   if at.has_state(i, pyatspi.STATE_SELECTED)], ["MUS"], "the selected entry")
        at.wait_for_value(lambda: at.text_of(description), self.description_in_data_file("MUS"),
                          "the description of MUS")

        at.press(at.find(self.window, "radio button", "定数/他"))
        at.wait_for(lambda: at.showing(constants) and not at.showing(functions), "the constants list")
        self.assertEqual(child_names(constants, "list item"), ["VirtualKey", "その他", "特殊変数"])

    def test_typing_at_start_goes_to_the_search_box(self):
        search = at.find(self.window, "text", "検索")
        functions = at.find(self.window, "list", "関数の一覧")
        at.wait_for(lambda: at.has_state(self.window, pyatspi.STATE_ACTIVE), "the viewer window to be active")
        at.wait_for(lambda: at.has_state(search, pyatspi.STATE_FOCUSED), "the focus in the search box")
        subprocess.run(["xdotool", "type", "--delay", "20", "mu"], check=True)
        at.wait_for_value(lambda: at.text_of(search), "MU", "the typed letters in the search box")
        at.wait_for_value(lambda: [i.name for i in at.find_all(functions, "list item")
                                   if at.has_state(i, pyatspi.STATE_SELECTED)], ["MUS"], "the selected entry")


class GlosselStartedAtAnEntry(unittest.TestCase):
    def selected(self, window, list_name):
        return [i.name for i in at.find_all(at.find(window, "list", list_name), "list item")
                if at.has_state(i, pyatspi.STATE_SELECTED)]

    def test_a_constant_opens_its_group_and_an_unknown_name_just_opens_the_viewer(self):
        program = at.Program(VIEWER, "vk_return")
        self.addCleanup(program.stop)
        window = program.window("frame", "関数ビューア")
        at.wait_for(lambda: at.showing(at.find(window, "list", "定数/他の一覧")), "the constants list")
        self.assertEqual(self.selected(window, "定数/他の一覧"), ["VirtualKey"])
        self.assertIn("VK_RETURN", at.text_of(at.find(window, "text", "説明")))

        unknown = at.Program(VIEWER, "NOSUCHNAME")
        self.addCleanup(unknown.stop)
        window = unknown.window("frame", "関数ビューア")
        self.assertTrue(at.showing(at.find(window, "list", "関数の一覧")))
        self.assertEqual(self.selected(window, "関数の一覧"), [])
        self.assertEqual(at.text_of(at.find(window, "text", "説明")), "")


def session_was_unusable(result):
    problems = result.failures + result.errors
    return bool(problems) and all("RegistryUnavailable" in text for _, text in problems)


if __name__ == "__main__":
    outcome = unittest.main(argv=[sys.argv[0], "-v", *sys.argv[3:]], exit=False).result
    if session_was_unusable(outcome):
        sys.exit(at.EXIT_SESSION_UNUSABLE)
    sys.exit(0 if outcome.wasSuccessful() else 1)
