// The one table of failure descriptions that accompany ErrorCodeSub.
// Every part of the program reports arithmetic, conversion and platform failures with these words.
#include "failure_text.h"

std::u16string FailureDescription(int failureNumber) {
    switch (failureNumber) {
    case 5:
        return u"プロシージャの呼び出し、または引数が不正です。";
    case 6:
        return u"オーバーフローしました。";
    case 7:
        return u"メモリが不足しています。";
    case 11:
        return u"0 で除算しました。";
    case 13:
        return u"型が一致しません。";
    case 53:
        return u"ファイルが見つかりません。";
    default:
        return u"実行時エラーが発生しました。";
    }
}
