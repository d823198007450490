// How the steps of a compiler end. They say it by what they return; only a
// run-time fault while a description is read unwinds, as guasto_lettura.
#pragma once

// After a record: read the next one; stop reading (a code 15: the closing
// steps still run); or leave by the compiler's error exit (the code is
// recorded, the description deleted, and the rest of memorizza_dati skipped).
enum class dopo_record { continua, ferma, esci };

// How a whole compiler ended.
enum class fine_compilatore {
  letto,   // read to the end or to a code 15
  uscito,  // its error exit
  guasto,  // a run-time fault: code 25 and both descriptions go
};
