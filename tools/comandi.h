// The commands of the authors' tool. Each one adds its subcommand and options
// to the parser and hands back what to run once the arguments are parsed.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>

namespace autori {

struct comando {
  CLI::App* sotto;
  // Reads, compiles or decodes, writes, and returns the exit status.
  std::function<int()> esegui;
};

comando aggiungi_check(CLI::App& app);
comando aggiungi_compile(CLI::App& app);
comando aggiungi_documents(CLI::App& app);
comando aggiungi_inspect(CLI::App& app);
comando aggiungi_plot(CLI::App& app);
comando aggiungi_decompile(CLI::App& app);
comando aggiungi_diff(CLI::App& app);
comando aggiungi_format(CLI::App& app);
comando aggiungi_view(CLI::App& app);
comando aggiungi_serve(CLI::App& app);
comando aggiungi_lsp(CLI::App& app);

}  // namespace autori
