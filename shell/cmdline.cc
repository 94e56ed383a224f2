// The program's command line and the places of its files.
