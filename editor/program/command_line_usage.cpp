// The texts of QuillonMacro's own options on Linux: what "--help" and "--version" print, and the line of a
// missing macro file. The exit statuses and variables listed are the ones the program really uses.
#include "command_line_usage.h"

std::string UsageText() {
    return "使い方:\n"
           "  QuillonMacro                    エディタを開きます\n"
           "  QuillonMacro ファイル.qlx       マクロをウィンドウなしで実行して終了します\n"
           "  QuillonMacro --edit ファイル    ファイルをエディタで開きます（実行はしません）\n"
           "  QuillonMacro --help | -h        この説明を表示します\n"
           "  QuillonMacro --version          バージョンを表示します\n"
           "  QuillonMacro --stop             このデスクトップで実行中のマクロをすべて停止します\n"
           "\n"
           "コマンドライン全体が一つのパスです（空白を含むパスは引用符なしでも指定できます）。\n"
           "--help などと同じ名前のファイルがあれば、そのファイルを実行します。\n"
           "実行中、PRINT の行と「終了しました。」は標準出力に、エラーの行は標準エラー出力に\n"
           "出ます（UTF-8）。\n"
           "MSGBOX、INPUTBOX、MES は画面があれば表示されます。\n"
           "Pause キーは、このデスクトップで実行中のマクロ（エディタのものもコマンドラインのものも）を\n"
           "すべて停止します。Pause を受け取れないデスクトップでは、好きなキーに\n"
           "QuillonMacro --stop を割り当ててください。\n"
           "\n"
           "終了ステータス（マクロの実行）:\n"
           "  0     正常に終了しました\n"
           "  1～7  マクロのエラーコード（1 不正な文字、2 構文、3 ブロック構造、4 計算、5 未定義の名前、\n"
           "        6 添字、7 関数の呼び出し。画面がないときのダイアログや画面の関数も 7）\n"
           "  2     マクロファイルが見つからない、または読み込めない\n"
           "  100   停止されました（Pause、--stop、Ctrl+C、Ctrl+\\、SIGTERM、SIGHUP）\n"
           "  74    標準出力に書き込めませんでした（ディスクがいっぱい、閉じたパイプなど）\n"
           "エディタは、閉じると 0、画面がないときやエディタの部品を開けないときは 1 で終了します。\n"
           "\n"
           "環境変数:\n"
           "  QUILLONMACRO_DESKTOP  x11 または wayland: 操作するデスクトップを指定します\n"
           "                        （指定がなければ WAYLAND_DISPLAY があれば Wayland、なければ X11）\n"
           "  WAYLAND_DISPLAY       Wayland のデスクトップ（GNOME、sway など）\n"
           "  DISPLAY               X11 のディスプレイ（Wayland のデスクトップでは Xwayland）\n"
           "  SWAYSOCK              sway のウィンドウの操作に使います\n"
           "  XKB_DEFAULT_LAYOUT, XKB_DEFAULT_VARIANT\n"
           "                        sway 以外の wlroots のデスクトップでのキーボード配列\n"
           "  XDG_CACHE_HOME        プログラムのフォルダに書き込めないときの、作業ファイル\n"
           "                        macrobuf.qlx の置き場所\n"
           "  XDG_STATE_HOME        エディタの未保存のテキストの控えの置き場所\n"
           "  QUILLONMACRO_DEBUG    1 にすると、読み込んだライブラリが標準エラー出力に書くメッセージも\n"
           "                        表示します（ふだんはこのプログラム自身の行だけです）\n";
}

std::string VersionText() {
    return "QuillonMacro " QM_VERSION "\n";
}

std::string MissingFileLine(const std::string& path) {
    return "マクロファイルが見つかりません。 - " + path + "\n";
}
