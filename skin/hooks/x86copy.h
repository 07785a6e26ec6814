#pragma once
// Decoding and moving single 32-bit x86 instructions, as the inline
// interception needs to carry the first instructions of a function into its
// trampoline and back.

#include <windows.h>

// The branch target reported for an instruction whose target is only known
// at run time (returns, indirect calls and jumps through registers).
#define SKIN_DYNAMIC_TARGET ((BYTE*)(INT_PTR)-1)

// Decodes the instruction at source and answers the address of the next
// one. With a destination the instruction is copied there, a relative
// operand re-based so that it still reaches the same address; with target
// the branch target is stored (NULL for no branch, SKIN_DYNAMIC_TARGET, or
// the address a call or jump through [disp32] reads). Answers NULL, with
// the thread's last error ERROR_INVALID_DATA, for a NULL source, an opcode
// that is no valid instruction, or a relative operand that cannot reach its
// target from the destination in its width; nothing is then copied.
const BYTE* CopyInstruction(BYTE* destination, const BYTE* source, const BYTE** target);

// The same, writing the bytes to buffer but re-basing them for destination,
// so that a run of instructions can be prepared before any is written.
const BYTE* CopyInstructionFor(BYTE* buffer, const BYTE* destination, const BYTE* source, const BYTE** target);
