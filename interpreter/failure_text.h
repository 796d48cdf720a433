// The descriptions that accompany failure numbers (ErrorCodeSub) in ErrorInformation.
// One table for the whole program, so every part reports a failure in the same words.
#pragma once

#include <string>

// Description of a failure number (5 invalid argument, 6 overflow, 7 out of memory, 11 division by zero, 13
// wrong kind, 53 file not found); other numbers get a general text.
std::u16string FailureDescription(int failureNumber);
