#pragma once

#include "dictionary/runtimeerror.h"

#include <gtest/gtest.h>

// The run-time error an operation throws; a test failure when it throws none.
template <typename F>
tamberlo::RuntimeError caught(F &&operation)
{
    try {
        operation();
    } catch (const tamberlo::RuntimeError &e) {
        return e;
    }
    ADD_FAILURE() << "no run-time error";
    return tamberlo::RuntimeError(tamberlo::ErrorKind::SubscriptOutOfRange);
}
