// The loopback scenarios over Winsock, as the program runs them.
#include "tests/native/http_scenarios.h"
