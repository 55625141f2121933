// Compiled, never linked, by the test suite: TextArg given the character code CODE. A code
// outside 0..255 must stop the build rather than become another character.
#include "text/text.h"

TextArg text_arg_of_code() { return TextArg(CODE); }
