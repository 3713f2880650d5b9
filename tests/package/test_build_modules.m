% The build script toolbox/build_modules.m under Octave's mex, on copies of the source tree in a
% temporary folder: run from the toolbox folder it builds every module beside its help file with
% C++17, no fused multiply-add and the version script, and says what it built; given an output
% folder it copies the help files there; a module that does not compile, a missing compiler and
% missing sources each stop it with a clear message, and it leaves CXXFLAGS as it found it.
% Exits non-zero on any failure.
here = fileparts(mfilename('fullpath'));
root = fileparts(fileparts(here));
addpath(here);
sources = dir(fullfile(root, 'modules', '*.cpp'));
names = cellfun(@(f) f(1:end - 4), {sources.name}, 'UniformOutput', false);
work = tempname();
mkdir(work);
% mkoctfile leaves its temporary object files behind when a compile fails: keep them in work.
setenv('TMPDIR', work);
confirm_recursive_rmdir(false);
start = pwd();
passed = 0;
failed = 0;

function tree = copy_tree(work, root, name, modules)
  % A copy of the folders the build script needs, with only the given module sources.
  tree = fullfile(work, name);
  mkdir(fullfile(tree, 'modules'));
  copyfile(fullfile(root, 'toolbox'), fullfile(tree, 'toolbox'));
  copyfile(fullfile(root, 'common'), fullfile(tree, 'common'));
  copyfile(fullfile(root, 'modules', 'kernels.h'), fullfile(tree, 'modules'));
  for k = 1:numel(modules)
    copyfile(fullfile(root, 'modules', [modules{k} '.cpp']), fullfile(tree, 'modules'));
  end
end

function expect_failure(f, text)
  % f must fail with a message that starts with text.
  try
    f();
  catch err
    if ~strncmp(err.message, text, numel(text))
      error('failed with "%s", expected "%s..."', err.message, text);
    end
    return;
  end
  error('succeeded, expected "%s..."', text);
end

function check_flags(log, map)
  % Every compile and link command carries the flags; verbose output shows the commands.
  commands = regexp(log, '(?m)^\S*(g\+\+|c\+\+|clang\+\+)\s[^\n]*', 'match');
  if isempty(commands)
    error('no compiler commands in the output:\n%s', log);
  end
  for k = 1:numel(commands)
    for flag = {'-std=c++17', '-ffp-contract=off'}
      if isempty(strfind(commands{k}, flag{1}))
        error('%s missing in: %s', flag{1}, commands{k});
      end
    end
  end
  links = commands(~cellfun(@isempty, strfind(commands, ' -shared')));
  if isempty(links) || any(cellfun(@isempty, strfind(links, ['-Wl,--version-script=' map])))
    error('a link command lacks the version script %s', map);
  end
end

function check_default_build(work, root, names)
  % From the toolbox folder with no arguments: every module beside its help, and working.
  tree = copy_tree(work, root, 'full', names);
  toolbox = fullfile(tree, 'toolbox');
  cd(toolbox);
  log = evalc('files = build_modules([], ''verbose'');');
  check_flags(log, fullfile(tree, 'common', 'mex.map'));
  if ~isempty(getenv('CXXFLAGS'))
    error('CXXFLAGS left set to "%s"', getenv('CXXFLAGS'));
  end
  expected = cellfun(@(n) fullfile(toolbox, [n '.mex']), names, 'UniformOutput', false);
  if ~isequal(sort(files), sort(expected))
    error('returned %s', strjoin(files, ' '));
  end
  cd(work);
  addpath(toolbox);
  for k = 1:numel(names)
    if isempty(strfind(log, ['build_modules: built ' expected{k}]))
      error('the output does not say that it built %s', expected{k});
    end
    [status, out] = system([fullfile(root, 'tools', 'check-exports.sh') ' ' expected{k}]);
    if status ~= 0
      error('%s', out);
    end
    if ~strcmp(which(names{k}), expected{k})
      error('%s resolves to %s', names{k}, which(names{k}));
    end
    h = read_help(fullfile(toolbox, [names{k} '.m']));
    if isempty(strfind(evalc(['help ' names{k}]), h.h1))
      error('help %s does not show its help file', names{k});
    end
    run_example(h.example, names{k});
  end
  rmpath(toolbox);
end

function check_outdir_and_failure(work, root)
  % One module builds, the next does not compile: the first is in the output folder with its
  % help, and the failure names the module.
  tree = copy_tree(work, root, 'broken', {'boxreach'});
  fid = fopen(fullfile(tree, 'modules', 'broken.cpp'), 'w');
  fputs(fid, "this is not C++\n");
  printf('  (the compiler errors for broken.cpp that follow are expected)\n');
  fclose(fid);
  out = fullfile(work, 'out');
  cd(fullfile(tree, 'toolbox'));
  evalc('expect_failure(@() build_modules(out), ''build_modules: building broken failed'')');
  if ~isempty(getenv('CXXFLAGS'))
    error('CXXFLAGS left set after a failed build');
  end
  for f = {'boxreach.mex', 'boxreach.m'}
    if ~exist(fullfile(out, f{1}), 'file')
      error('%s not in the output folder', f{1});
    end
  end
end

function check_no_compiler(work, root)
  tree = copy_tree(work, root, 'nocompiler', {'boxreach'});
  out = fullfile(work, 'nocompiler-out');
  cd(fullfile(tree, 'toolbox'));
  setenv('CXX', fullfile(work, 'no-such-compiler'));
  try
    expect_failure(@() build_modules(out), 'build_modules: no C++ compiler is set up');
  catch err
    unsetenv('CXX');
    rethrow(err);
  end
  unsetenv('CXX');
  if exist(out, 'dir')
    error('the output folder was created before the compiler was checked');
  end
end

function check_no_sources(work, root)
  lonely = fullfile(work, 'lonely', 'toolbox');
  mkdir(lonely);
  copyfile(fullfile(root, 'toolbox', 'build_modules.m'), lonely);
  cd(lonely);
  expect_failure(@() build_modules(), 'build_modules: no module sources in');
end

checks = {'default build from the toolbox folder', @check_default_build, work, root, names;
          'output folder and a module that fails', @check_outdir_and_failure, work, root, [];
          'no compiler', @check_no_compiler, work, root, [];
          'no sources', @check_no_sources, work, root, []};
for k = 1:rows(checks)
  try
    args = checks(k, 3:end);
    if isempty(args{end})
      args(end) = [];
    end
    checks{k, 2}(args{:});
    passed = passed + 1;
    printf('PASS %s\n', checks{k, 1});
  catch err
    failed = failed + 1;
    printf('FAIL %s: %s\n', checks{k, 1}, err.message);
  end
  cd(start);
  clear build_modules;
end
rmdir(work, 's');
printf('build script: %d passed, %d failed\n', passed, failed);
exit(failed > 0);
