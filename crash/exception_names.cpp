// The names the crash report gives to the exception codes it knows, in lookup order.
#include "crash/crash.h"
#include "literals.h"

const ExceptionName ExceptionNameTable[kExceptionNameCount] = {
    {0x80000001u, kExceptionGuardPageText},
    {0x80000002u, kExceptionMisalignedText},
    {0x80000003u, kExceptionBreakpointText},
    {0x80000004u, kExceptionSingleStepText},
    {0xC0000005u, kExceptionAccessViolationText},
    {0xC0000006u, kExceptionInPageErrorText},
    {0xC0000008u, kExceptionInvalidHandleText},
    {0xC000001Du, kExceptionIllegalInstructionText},
    {0xC0000025u, kExceptionNoncontinuableText},
    {0xC0000026u, kExceptionInvalidDispositionText},
    {0xC000008Cu, kExceptionArrayBoundsText},
    {0xC000008Du, kExceptionFltDenormalText},
    {0xC000008Eu, kExceptionFltDivideByZeroText},
    {0xC000008Fu, kExceptionFltInexactText},
    {0xC0000090u, kExceptionFltInvalidText},
    {0xC0000091u, kExceptionFltOverflowText},
    {0xC0000092u, kExceptionFltStackCheckText},
    {0xC0000093u, kExceptionFltUnderflowText},
    {0xC0000094u, kExceptionIntDivideByZeroText},
    {0xC0000095u, kExceptionIntOverflowText},
    {0xC0000096u, kExceptionPrivInstructionText},
    {0xC00000FDu, kExceptionStackOverflowText},
    {0xC000013Au, kExceptionControlCText},
};
