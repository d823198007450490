// errore of the console host, called as the build calls it for a fatal code.
#include "app/errore.h"

int main() { errore("1251"); }
