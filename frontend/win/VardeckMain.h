// The program's main block: the single-instance check, the nine windows created in their
// order, the message loop; and the windows' creation and destruction on their own, for tests
// that run the front end inside their own process.
#pragma once

namespace vardeck {

// Creates the nine windows in their order (the start window first, so that it becomes the
// main window) and sets their global pointers.
void CreateForms();
// Destroys them in the reverse order and clears the pointers.
void DestroyForms();

// Everything Vardeck.exe does; returns its exit code.
int RunVardeck();

}  // namespace vardeck
