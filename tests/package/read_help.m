function h = read_help(file)
  % Reads a help file: its comment lines (without the leading %), its H1 line, the quoted texts
  % of its Errors section and the code lines of its Example section. Fails on any line that is
  % not a comment, since the file must stay help only.
  text = fileread(file);
  raw = strsplit(text, "\n");
  if isempty(raw{end})
    raw(end) = [];
  end
  h.lines = cell(1, numel(raw));
  for k = 1:numel(raw)
    if isempty(regexp(raw{k}, '^%', 'once'))
      error('%s line %d is not a comment: %s', file, k, raw{k});
    end
    h.lines{k} = raw{k}(2:end);
  end
  h.h1 = strtrim(h.lines{1});
  h.errors = {};
  h.example = {};
  section = '';
  for k = 2:numel(h.lines)
    l = h.lines{k};
    head = regexp(l, '^   (\S.*)$', 'tokens', 'once');
    if ~isempty(head)
      section = strtok(head{1}, ' ,');
      continue;
    end
    if strcmp(section, 'Errors')
      texts = regexp(l, '"([^"]*)"', 'tokens');
      for t = texts
        % Only the text that opens an entry, not quotations inside its explanation.
        if ~isempty(regexp(l, ['^\s+"' regexptranslate('escape', t{1}{1}) '"'], 'once'))
          h.errors{end + 1} = t{1}{1};
        end
      end
    elseif strcmp(section, 'Example') && ~isempty(regexp(l, '^     \S', 'once'))
      h.example{end + 1} = strtrim(l);
    end
  end
end
