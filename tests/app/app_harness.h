#pragma once
// Moved to tests/support/; this name stays until cli_test.cpp includes it from there.
#include "tests/support/app_harness.h"
