// Stand-in for oclist64.exe: the same program as the oclist.exe stand-in,
// logging its own name.
#define OCLIST_NAME "oclist64.exe"
#include "oclist.cpp"
