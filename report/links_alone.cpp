// Linked with one layer of the report subsystem as a whole archive and with
// nothing above it (report/CMakeLists.txt): it builds only while the layer
// needs nothing from the layers above. Never run.
int main() { return 0; }
