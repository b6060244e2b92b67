#include <gtest/gtest.h>

#include "tests/native/zip_scenarios.h"
