#pragma once
// Inline interception of one function (32-bit x86 only): the function's
// first instructions move into a 32-byte trampoline and are replaced by a
// jump to the replacement; calling the trampoline runs the real function.
//
// A trampoline before installation has this shape:
//   90 90           two nops
//   E8 rel32        call of a getter that answers the target's address in eax
//   FF E0           jmp eax
//   C3, nops to 32 bytes
// so that calling it already reaches the real function. Installed, it holds
// the target's first N instructions (relocated), a jump back to target + N,
// and N in its last byte. Removal puts both the target and the trampoline
// back byte for byte.

#include <windows.h>

enum { SkinTrampolineSize = 32 };

// TRUE when the target's first instructions were moved and the jump
// written; FALSE (nothing changed) when the trampoline has not the shape
// above, the target's first instructions do not measure 5 to 26 bytes up to
// a return or jump, or one of them cannot be moved.
BOOL InlineHook_Install(void* trampoline, void* replacement);
// FALSE with the thread's last error: ERROR_INVALID_HANDLE (6) when the
// trampoline holds no installed hook, ERROR_INVALID_BLOCK (9) when the
// target does not start with a jump, ERROR_INVALID_ACCESS (12) when that
// jump no longer leads to the replacement (the target is left alone),
// ERROR_INVALID_DATA (13) when the instructions cannot be moved back.
BOOL InlineHook_Remove(void* trampoline, void* replacement);

// The length of the prologue the hook would move: whole instructions up to
// a return, a jump or 5 bytes; 0 when it cannot be decoded.
int InlineHook_MeasurePrologue(const BYTE* target);
