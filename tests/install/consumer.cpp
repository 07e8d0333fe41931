// The same host program as a C++ one.
#include "consumer.c"
