// A program the Windows loader cannot start once the DLL it imports from is left out, as a test
// program importing a function that an older Windows lacks: the test bundle reports it skipped.
extern "C" __declspec(dllimport) int NetschemeLeftOut();

int main() { return NetschemeLeftOut(); }
