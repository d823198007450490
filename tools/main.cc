// autori: the scenario authors' tool. Compiles any line and train description
// with the product's own build, writes the shipped documents, and shows what
// a scenario file holds.
#include <iostream>
#include <string>
#include <vector>

#include "comandi.h"
#include "diagnostica.h"

int main(int argc, char** argv) {
  CLI::App app{
      "Scenario authors' tool: check and compile descriptions, print their format, write the shipped "
      "documents, inspect, draw, "
      "decompile and compare scenario files.",
      "autori"};
  app.require_subcommand(1);
  app.footer(
      "Exit status: 0 success; 1 no scenario file written, or a file that cannot be read or decoded;\n"
      "2 files written but the build recorded an error code; 64 bad arguments. check exits 1 when it\n"
      "finds an error.\n"
      "Run 'autori COMMAND --help' for the options of a command.");
  std::vector<autori::comando> comandi = {
      autori::aggiungi_check(app),   autori::aggiungi_compile(app), autori::aggiungi_documents(app),
      autori::aggiungi_inspect(app), autori::aggiungi_plot(app),    autori::aggiungi_decompile(app),
      autori::aggiungi_diff(app),    autori::aggiungi_format(app),  autori::aggiungi_view(app),
      autori::aggiungi_serve(app),   autori::aggiungi_lsp(app)};
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    // A mistyped command otherwise reads as a missing one.
    if (app.get_subcommands().empty() && argc > 1 && argv[1][0] != '-')
      return autori::errore_uso(std::string("unknown command '") + argv[1] + "'");
    return autori::errore_uso(e.what());
  }
  for (const autori::comando& c : comandi)
    if (c.sotto->parsed()) return c.esegui();
  return autori::errore_uso("no command given");
}
