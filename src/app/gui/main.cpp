// Placeholder: the window is being built.
int main() { return 0; }
