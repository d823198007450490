-- Neovim as the client of autori lsp: opens a description, waits for its
-- diagnostics, asks for a hover and writes both as JSON for the test to read.
-- AUTORI (the tool), DESCRIZIONE (the file), USCITA (the JSON written),
-- RIGA and COLONNA (the hover's position, 0-based) come from the environment.
local autori, file, uscita = os.getenv('AUTORI'), os.getenv('DESCRIZIONE'), os.getenv('USCITA')
local riga, colonna = tonumber(os.getenv('RIGA')), tonumber(os.getenv('COLONNA'))

-- The descriptions are 8-bit text.
vim.o.fileencodings = 'latin1'
vim.cmd('edit ' .. vim.fn.fnameescape(file))
local id = vim.lsp.start_client({
  name = 'autori',
  cmd = { autori, 'lsp' },
  root_dir = vim.fn.fnamemodify(file, ':p:h'),
})
vim.lsp.buf_attach_client(0, id)
vim.wait(20000, function() return #vim.diagnostic.get(0) > 0 end, 50)

local diagnostiche = {}
for _, d in ipairs(vim.diagnostic.get(0)) do
  local lsp = d.user_data and d.user_data.lsp or {}
  table.insert(diagnostiche, {
    lnum = d.lnum, col = d.col, end_lnum = d.end_lnum, end_col = d.end_col,
    severity = d.severity, message = d.message, source = d.source,
    code = d.code or lsp.code or vim.NIL,
  })
end
local hover = vim.NIL
local risposte = vim.lsp.buf_request_sync(0, 'textDocument/hover', {
  textDocument = { uri = vim.uri_from_bufnr(0) },
  position = { line = riga, character = colonna },
}, 20000)
for _, r in pairs(risposte or {}) do
  if r.result then hover = r.result.contents.value end
end
vim.fn.writefile({ vim.fn.json_encode({ diagnostics = diagnostiche, hover = hover }) }, uscita)
vim.lsp.stop_client(id)
vim.cmd('qa!')
