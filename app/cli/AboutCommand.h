// plotyra-cli about: what the program is, in two lines on standard output.
#pragma once

// Prints the text; 0.
int AboutCommand();
