// The names the crash report gives to the exception codes it knows, in lookup order.
#include "crash/crash.h"
#include "literals.h"

const ExceptionName ExceptionNameTable[kExceptionNameCount] = {
    {EXCEPTION_GUARD_PAGE, kExceptionGuardPageText},
    {EXCEPTION_DATATYPE_MISALIGNMENT, kExceptionMisalignedText},
    {EXCEPTION_BREAKPOINT, kExceptionBreakpointText},
    {EXCEPTION_SINGLE_STEP, kExceptionSingleStepText},
    {EXCEPTION_ACCESS_VIOLATION, kExceptionAccessViolationText},
    {EXCEPTION_IN_PAGE_ERROR, kExceptionInPageErrorText},
    {EXCEPTION_INVALID_HANDLE, kExceptionInvalidHandleText},
    {EXCEPTION_ILLEGAL_INSTRUCTION, kExceptionIllegalInstructionText},
    {EXCEPTION_NONCONTINUABLE_EXCEPTION, kExceptionNoncontinuableText},
    {EXCEPTION_INVALID_DISPOSITION, kExceptionInvalidDispositionText},
    {EXCEPTION_ARRAY_BOUNDS_EXCEEDED, kExceptionArrayBoundsText},
    {EXCEPTION_FLT_DENORMAL_OPERAND, kExceptionFltDenormalText},
    {EXCEPTION_FLT_DIVIDE_BY_ZERO, kExceptionFltDivideByZeroText},
    {EXCEPTION_FLT_INEXACT_RESULT, kExceptionFltInexactText},
    {EXCEPTION_FLT_INVALID_OPERATION, kExceptionFltInvalidText},
    {EXCEPTION_FLT_OVERFLOW, kExceptionFltOverflowText},
    {EXCEPTION_FLT_STACK_CHECK, kExceptionFltStackCheckText},
    {EXCEPTION_FLT_UNDERFLOW, kExceptionFltUnderflowText},
    {EXCEPTION_INT_DIVIDE_BY_ZERO, kExceptionIntDivideByZeroText},
    {EXCEPTION_INT_OVERFLOW, kExceptionIntOverflowText},
    {EXCEPTION_PRIV_INSTRUCTION, kExceptionPrivInstructionText},
    {EXCEPTION_STACK_OVERFLOW, kExceptionStackOverflowText},
    {CONTROL_C_EXIT, kExceptionControlCText},
};
