#include "app/DemoForm.h"

TDemoForm* DemoForm = nullptr;

// Filled in with the list box; until then the program has nothing to show.
int RunDemo() { return 0; }
