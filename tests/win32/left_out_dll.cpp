// The DLL that loader_fails imports from; the test bundle's check leaves it out.
extern "C" __declspec(dllexport) int NetschemeLeftOut() { return 0; }
