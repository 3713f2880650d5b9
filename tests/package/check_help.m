% Checks the help files against the sources without building anything: every module in
% modules/ has a help file toolbox/NAME.m that holds comments only, opens with an H1 line naming
% the module, lists exactly the error texts of the module's source and has an example with at
% least one checked value; Contents.m lists every module with its H1 text and the package's
% version. With a folder of built modules as argument (make octave's), `help NAME` must also
% print the help of each module there. Exits non-zero on any failure.
args = argv();
here = fileparts(mfilename('fullpath'));
root = fileparts(fileparts(here));
addpath(here);
sources = dir(fullfile(root, 'modules', '*.cpp'));
names = cellfun(@(f) f(1:end - 4), {sources.name}, 'UniformOutput', false);
contents = fileread(fullfile(root, 'toolbox', 'Contents.m'));
passed = 0;
failed = 0;

for k = 1:numel(names)
  name = names{k};
  try
    file = fullfile(root, 'toolbox', [name '.m']);
    if ~exist(file, 'file')
      error('no help file toolbox/%s.m', name);
    end
    h = read_help(file);
    if isempty(regexp(h.h1, ['^' upper(name) '\s+\S'], 'once'))
      error('H1 line "%s" does not start with %s', h.h1, upper(name));
    end
    source = fileread(fullfile(root, 'modules', [name '.cpp']));
    texts = regexp(source, 'const\s+char\s*\*\s*const\s+k\w+\s*=\s*"([^"]*)"', 'tokens');
    texts = cellfun(@(t) t{1}, texts, 'UniformOutput', false);
    if isempty(texts)
      error('no error texts found in modules/%s.cpp', name);
    end
    missing = setdiff(texts, h.errors);
    stale = setdiff(h.errors, texts);
    if ~isempty(missing) || ~isempty(stale)
      error('errors listed in the help differ from the source: missing "%s"; not in the source "%s"', ...
            strjoin(missing, '", "'), strjoin(stale, '", "'));
    end
    if numel(unique(h.errors)) ~= numel(h.errors)
      error('an error text is listed twice');
    end
    if ~any(cellfun(@(l) ~isempty(strfind(l, '% is ')), h.example))
      error('the example checks no value ("CODE   %% is VALUE")');
    end
    summary = strtrim(h.h1(numel(name) + 1:end));
    line = regexp(contents, ['\n%\s+' name '\s+-\s+([^\n]*)'], 'tokens', 'once');
    if isempty(line) || ~strcmp(strtrim(line{1}), summary)
      error('Contents.m does not list %s with "%s"', name, summary);
    end
    if ~isempty(args)
      file = fullfile(make_absolute_filename(args{1}), [name '.mex']);
      addpath(args{1});
      shown = evalc(['help ' name]);
      rmpath(args{1});
      if isempty(strfind(shown, file)) || isempty(strfind(shown, h.h1))
        error('help %s does not show the help of %s:\n%s', name, file, shown);
      end
    end
    passed = passed + 1;
    printf('PASS help %s (%d error texts)\n', name, numel(texts));
  catch err
    failed = failed + 1;
    printf('FAIL help %s: %s\n', name, err.message);
  end
end

try
  description = fileread(fullfile(root, 'package', 'DESCRIPTION'));
  version = regexp(description, '(?m)^Version:\s*(\S+)', 'tokens', 'once');
  listed = regexp(contents, '\n% Version (\S+)', 'tokens', 'once');
  if isempty(version) || isempty(listed) || ~strcmp(version{1}, listed{1})
    error('Contents.m and package/DESCRIPTION give different versions');
  end
  passed = passed + 1;
  printf('PASS version %s\n', version{1});
catch err
  failed = failed + 1;
  printf('FAIL version: %s\n', err.message);
end

for f = dir(fullfile(root, 'toolbox', '*.m'))'
  stem = f.name(1:end - 2);
  if ~any(strcmp(stem, [names, {'Contents', 'build_modules'}]))
    printf('note: toolbox/%s has no module source\n', f.name);
  end
end
printf('help: %d passed, %d failed\n', passed, failed);
exit(failed > 0);
