// plotyra-cli --help (or -h): the usage lines of every command. A command line the tool cannot
// read shows the same lines on standard error.
#pragma once

// Prints the usage on standard output; 0.
int HelpCommand();

// Prints the usage on standard error, for a command line the tool cannot read; 1.
int UsageError();
