// Placeholder: the headless front is being built.
int main() { return 0; }
