// The entry of a layer check: the library under check is linked whole around it, so every
// function it calls must come from itself or from the layers below it.
int main() { return 0; }
