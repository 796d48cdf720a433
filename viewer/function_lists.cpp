// The entries of the function list and the constant-group list, as the viewer shows them.
#include "function_lists.h"

const QStringList& FunctionEntries() {
    static const QStringList entries = {
        QStringLiteral("ABS"),      QStringLiteral("BIN"),         QStringLiteral("COS"),
        QStringLiteral("CTRLWIN"),  QStringLiteral("DIM"),         QStringLiteral("ELSE"),
        QStringLiteral("END"),      QStringLiteral("EXIT"),        QStringLiteral("EXP"),
        QStringLiteral("FINDIMG"),  QStringLiteral("FOR"),         QStringLiteral("FUNCTION"),
        QStringLiteral("GETCOLOR"), QStringLiteral("GETKEYSTATE"), QStringLiteral("GETWINID"),
        QStringLiteral("HEX"),      QStringLiteral("IF"),          QStringLiteral("INPUTBOX"),
        QStringLiteral("INSTR"),    QStringLiteral("INT "),        QStringLiteral("KBD"),
        QStringLiteral("LEFT"),     QStringLiteral("LEN"),         QStringLiteral("LOG"),
        QStringLiteral("MES"),      QStringLiteral("MID"),         QStringLiteral("MSGBOX"),
        QStringLiteral("MUS"),      QStringLiteral("MUSORG"),      QStringLiteral("NEXT"),
        QStringLiteral("PRINT"),    QStringLiteral("RANDOMIZE"),   QStringLiteral("RIGHT"),
        QStringLiteral("RND"),      QStringLiteral("SETWIN"),      QStringLiteral("SGN"),
        QStringLiteral("SHELL"),    QStringLiteral("SIN"),         QStringLiteral("SOUND"),
        QStringLiteral("SQR"),      QStringLiteral("STEP"),        QStringLiteral("STR"),
        QStringLiteral("SUB"),      QStringLiteral("TAN"),         QStringLiteral("THEN"),
        QStringLiteral("TO"),       QStringLiteral("TRIM"),        QStringLiteral("VAL "),
        QStringLiteral("WAIT"),     QStringLiteral("WEND"),        QStringLiteral("WHILE"),
    };
    return entries;
}

const QStringList& ConstantEntries() {
    static const QStringList entries = {QStringLiteral("VirtualKey"), QStringLiteral("その他"),
                                        QStringLiteral("特殊変数")};
    return entries;
}
