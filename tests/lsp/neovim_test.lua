-- `tagvetter lsp` under a real client, Neovim 0.7's own: a page in a scratch folder whose
-- tagvetter.toml says html5 gets its diagnostic where the fault is, loses it when the
-- buffer is edited, answers a hover, and offers a quick fix whose edit takes its diagnostic
-- away. Run by ctest as
--   TAGVETTER_EXE=... nvim --headless -u NONE -i NONE -c "luafile neovim_test.lua"
-- It prints what it saw and quits non-zero on any failure or timeout.

local exe = os.getenv("TAGVETTER_EXE")
local timeout = 10000 -- milliseconds, for each wait

local function say(format, ...)
  io.stdout:write(string.format(format, ...) .. "\n")
end

local function check(holds, format, ...)
  if not holds then error(string.format(format, ...), 0) end
end

local function run()
  check(exe and exe ~= "", "TAGVETTER_EXE is not set")
  local folder = vim.fn.tempname()
  vim.fn.mkdir(folder, "p")
  vim.fn.writefile({ 'profile = "html5"' }, folder .. "/tagvetter.toml")
  -- Line 2: "é" is two bytes and one UTF-16 unit before the obsolete <big>.
  local page = folder .. "/page.htm"
  vim.fn.writefile({ "<div>", "  <p>caf\195\169 <big>old</big></p>", "</div>" }, page)

  vim.cmd("edit " .. vim.fn.fnameescape(page))
  local buffer = vim.api.nvim_get_current_buf()
  local exit_code
  local client_id = vim.lsp.start_client({
    name = "tagvetter",
    cmd = { exe, "lsp" },
    root_dir = folder,
    on_exit = function(code) exit_code = code end,
  })
  check(client_id, "the client didn't start")
  vim.lsp.buf_attach_client(buffer, client_id)
  say("started %s lsp on %s", exe, page)

  check(vim.wait(timeout, function() return #vim.diagnostic.get(buffer) > 0 end, 20), "no diagnostic came")
  local diagnostics = vim.diagnostic.get(buffer)
  local d = diagnostics[1]
  say("diagnostic: line %d, bytes %d-%d: %s", d.lnum, d.col, d.end_col, d.message)
  check(#diagnostics == 1, "%d diagnostics, not 1", #diagnostics)
  check(d.lnum == 1 and d.col == 11 and d.end_col == 16, "the range is not <big>'s")
  check(d.message:find("big", 1, true), "the message doesn't name the tag")
  check(d.source == "tagvetter" and d.severity == vim.diagnostic.severity.ERROR, "source or severity")

  vim.api.nvim_buf_set_lines(buffer, 1, 2, false, { "  <p>caf\195\169 <em>new</em></p>" })
  say("edited line 2 to: %s", vim.api.nvim_buf_get_lines(buffer, 1, 2, false)[1])
  check(vim.wait(timeout, function() return #vim.diagnostic.get(buffer) == 0 end, 20), "the diagnostic stayed")
  say("diagnostics cleared")

  -- An obsolete attribute is a warning, not an error.
  vim.api.nvim_buf_set_lines(buffer, 1, 2, false, { "  <p align=left>x</p>" })
  check(vim.wait(timeout, function() return #vim.diagnostic.get(buffer) > 0 end, 20), "no diagnostic for align")
  local w = vim.diagnostic.get(buffer)[1]
  say("diagnostic: line %d: %s", w.lnum, w.message)
  check(w.lnum == 1 and w.message:find("align", 1, true), "the diagnostic is not align's")
  check(w.severity == vim.diagnostic.severity.WARN, "obsolete-attribute is not a warning")
  vim.api.nvim_buf_set_lines(buffer, 1, 2, false, { "  <p>x</p>" })
  check(vim.wait(timeout, function() return #vim.diagnostic.get(buffer) == 0 end, 20), "the warning stayed")

  local replies = vim.lsp.buf_request_sync(buffer, "textDocument/hover", {
    textDocument = { uri = vim.uri_from_bufnr(buffer) },
    position = { line = 0, character = 2 },
  }, timeout)
  check(replies and replies[client_id] and replies[client_id].result, "no hover came")
  local hover = replies[client_id].result.contents.value
  say("hover on div: %s", hover:match("^[^\n]*"))
  check(hover:find("Document division", 1, true), "the hover doesn't describe <div>")

  -- A quick fix: the stray </span> after "é" removed by the edit the server offers for its
  -- diagnostic, made by Neovim in its own unit.
  vim.api.nvim_buf_set_lines(buffer, 1, 2, false, { "  <p>caf\195\169 </span>x</p>" })
  check(vim.wait(timeout, function() return #vim.diagnostic.get(buffer) > 0 end, 20), "no diagnostic for </span>")
  local line_diagnostics = vim.lsp.diagnostic.get_line_diagnostics(buffer, 1)
  check(#line_diagnostics == 1, "%d diagnostics on line 2, not 1", #line_diagnostics)
  replies = vim.lsp.buf_request_sync(buffer, "textDocument/codeAction", {
    textDocument = { uri = vim.uri_from_bufnr(buffer) },
    range = line_diagnostics[1].range,
    context = { diagnostics = line_diagnostics, only = { "quickfix" } },
  }, timeout)
  check(replies and replies[client_id] and replies[client_id].result, "no code action came")
  local actions = replies[client_id].result
  check(#actions == 1, "%d code actions, not 1", #actions)
  say("code action: %s (%s)", actions[1].title, actions[1].kind)
  check(actions[1].title == "Remove </span>" and actions[1].kind == "quickfix", "not the quick fix for </span>")
  vim.lsp.util.apply_workspace_edit(actions[1].edit, vim.lsp.get_client_by_id(client_id).offset_encoding)
  local fixed = vim.api.nvim_buf_get_lines(buffer, 1, 2, false)[1]
  say("line 2 after the fix: %s", fixed)
  check(fixed == "  <p>caf\195\169 x</p>", "the edit made another line")
  check(vim.wait(timeout, function() return #vim.diagnostic.get(buffer) == 0 end, 20), "the fixed diagnostic stayed")
  say("diagnostics cleared by the fix")

  vim.lsp.stop_client(client_id)
  check(vim.wait(timeout, function() return exit_code ~= nil end, 20), "the server didn't exit")
  say("server exited with %d", exit_code)
  check(exit_code == 0, "exit status %d after shutdown and exit", exit_code)
  vim.fn.delete(folder, "rf")
end

local ok, failure = pcall(run)
if ok then
  say("neovim test passed")
  vim.cmd("qall!")
else
  say("FAILED: %s", tostring(failure))
  vim.cmd("cquit 1")
end
