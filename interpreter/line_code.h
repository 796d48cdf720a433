// LineCode: what the run loop needs of a compiled statement, taken from its token lists once, the first
// time the line runs: the target's lookup slot, the prepared expressions and the lines it jumps to.
#pragma once

#include "line_form.h"
#include "prepared_expression.h"
#include "token.h"

#include <cstdint>

// An assignment or loop target: a name, and the expression of its subscript when it has one.
struct CodeTarget {
    NameSlot* slot = nullptr;
    const cMoMacro_Token* subscript = nullptr;
};

struct LineCode {
    bool ready = false;
    CodeTarget target;                       // LET, FOR
    PreparedExpression* prepared[3] = {};    // LET: value; FOR: start, end, step; IF, WHILE: condition
    int32_t jump = 0;                        // FOR: its NEXT; NEXT: its FOR; IF: END IF; WHILE: WEND;
                                             // WEND: its WHILE
    int32_t jumpIfFalse = 0;                 // IF: where a false condition continues
    PreparedExpression* subscript = nullptr; // LET of an element: the subscript
    // LET; FOR of a variable without subscript whose end and step are each a lone constant or variable.
    bool plainTarget = false;
    // The addresses of the target (of an element target, the array's first element and its last index) and
    // (FOR) of the end and step values, found while the local and the global store had the identities below
    // (0: not found). They stay valid while both keep them.
    uint64_t boundLocal = 0;
    uint64_t boundGlobal = 0;
    MacroValue* targetAddress = nullptr;
    const MacroValue* endAddress = nullptr;
    const MacroValue* stepAddress = nullptr;
    int32_t lastIndex = -1;
    // The local store's shape then, and the local positions of the three (-1: not local), so that a later
    // local store of that shape gives their addresses without searching, as for numeric programs.
    uint64_t boundShape = 0;
    int32_t targetPosition = -1;
    int32_t endPosition = -1;
    int32_t stepPosition = -1;
    LineForm form; // the compact form the block runner runs, built after the first plain run
};

// The lookup slot of a target list's name, kept with the list so repeated assignments skip the name search.
NameSlot& TargetSlot(const cMoMacro_Token& target);
