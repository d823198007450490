# Turns the page's script and style sheet into one header of string
# literals, so that the tool carries them and a page needs nothing beside it.
# A raw literal cannot hold its own closing sequence, and the files never do.
set(testo "// Made by incorpora.cmake from the files beside it; not to be edited.\n#pragma once\n#include <string_view>\nnamespace autori::vista {\n")
foreach(nome pagina_html pagina_css pagina_js)
  string(REPLACE "_" "." file ${nome})
  set(file ${CARTELLA}/${file})
  file(READ ${file} contenuto)
  string(FIND "${contenuto}" ")incorporato\"" dentro)
  if(NOT dentro EQUAL -1)
    message(FATAL_ERROR "${file} holds the sequence that ends a raw string literal")
  endif()
  string(APPEND testo "inline constexpr std::string_view ${nome} = R\"incorporato(${contenuto})incorporato\";\n")
endforeach()
string(APPEND testo "}  // namespace autori::vista\n")
file(WRITE ${USCITA}.tmp "${testo}")
file(RENAME ${USCITA}.tmp ${USCITA})
