// The fixed entries of the viewer's two lists: the keywords and functions, and the constant groups whose
// descriptions are the ".cnt" files.
#pragma once

#include <QStringList>

// The 51 entries of the function list in their order; "INT " and "VAL " keep their trailing blank.
const QStringList& FunctionEntries();
// "VirtualKey", "その他", "特殊変数".
const QStringList& ConstantEntries();
