// The guard leaves the thread's structured-exception chain as it found it,
// however the body ends: a record left behind would point into a stack
// frame that is gone, and the next exception dispatched on the thread would
// follow it.

#include <gtest/gtest.h>

#include "platform/sehguard.h"

#include <stdexcept>

#ifndef _WIN64

namespace {

void* ChainHead()
{
    void* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void Returns(void*) {}
void Throws(void*) { throw std::runtime_error("escaped"); }
void Faults(void*) { *static_cast<volatile int*>(nullptr) = 1; }

} // namespace

TEST(SehGuardChain, RestoredAfterReturnCppExceptionAndFault)
{
    void* const before = ChainHead();
    EXPECT_TRUE(CSehGuard::Run(&Returns, nullptr, nullptr));
    EXPECT_EQ(before, ChainHead());
    EXPECT_FALSE(CSehGuard::Run(&Throws, nullptr, nullptr));
    EXPECT_EQ(before, ChainHead());
    EXPECT_FALSE(CSehGuard::Run(&Faults, nullptr, nullptr));
    EXPECT_EQ(before, ChainHead());
}

#endif
