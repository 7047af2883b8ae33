// Makes the Wine template prefix of this build tree, once, before the suites copy it.
#include "harness.h"

int main() { harness::MakeTemplatePrefix(); }
