% Installs the Octave package given as the first argument into a temporary prefix (pkg prefix,
% local_list and global_list all point there, so nothing outside is touched), loads it, and for
% every module in modules/ checks that it is installed as a MEX file with its help file beside
% it, that `help NAME` prints that help, that it exports only the MEX entry points, and that the
% example of its help gives the values the help states; then uninstalls it. Exits non-zero on
% any failure (pkg test would exit 0).
args = argv();
tarball = args{1};
here = fileparts(mfilename('fullpath'));
root = fileparts(fileparts(here));
addpath(here);
sources = dir(fullfile(root, 'modules', '*.cpp'));
names = cellfun(@(f) f(1:end - 4), {sources.name}, 'UniformOutput', false);
description = fileread(fullfile(root, 'package', 'DESCRIPTION'));
pkgName = regexp(description, '(?m)^Name:\s*(\S+)', 'tokens', 'once'){1};
prefix = tempname();
mkdir(prefix);
pkg('prefix', prefix, prefix);
pkg('local_list', fullfile(prefix, 'octave_packages'));
pkg('global_list', fullfile(prefix, 'octave_packages_global'));
passed = 0;
failed = 0;
installed = false;

function ok = check(what, varargin)
  % Runs one check (a function handle and its arguments) and reports it.
  try
    varargin{1}(varargin{2:end});
    printf('PASS %s\n', what);
    ok = true;
  catch err
    printf('FAIL %s: %s\n', what, err.message);
    ok = false;
  end
end

function install_into(tarball, prefix)
  log = evalc('pkg(''install'', ''-local'', tarball)');
  list = pkg('list');
  if numel(list) ~= 1 || ~strncmp(list{1}.dir, prefix, numel(prefix))
    printf('%s', log);
    error('the package is not installed under %s', prefix);
  end
end

function check_module(name, root, prefix)
  file = which(name);
  [folder, ~, ext] = fileparts(file);
  if ~strcmp(ext, '.mex') || ~strncmp(file, prefix, numel(prefix))
    error('%s resolves to "%s", not to a module of the installed package', name, file);
  end
  if ~exist(fullfile(folder, [name '.m']), 'file')
    error('no help file beside %s', file);
  end
  h = read_help(fullfile(root, 'toolbox', [name '.m']));
  text = evalc(['help ' name]);
  if isempty(strfind(text, file)) || isempty(strfind(text, h.h1))
    error('help %s does not show the help of %s:\n%s', name, file, text);
  end
  [status, out] = system([fullfile(root, 'tools', 'check-exports.sh') ' ' file]);
  if status ~= 0
    error('%s', out);
  end
  if run_example(h.example, name) < 1
    error('the example of %s checks no value', name);
  end
end

function check_only_modules(names, prefix)
  installDir = pkg('list'){1}.dir;
  found = glob({fullfile(installDir, '*.mex'); fullfile(installDir, '*', '*.mex')});
  [~, got] = cellfun(@fileparts, found, 'UniformOutput', false);
  got = sort(got(:)');
  if ~isequal(got, sort(names))
    error('installed modules %s, expected %s', strjoin(got, ' '), strjoin(sort(names), ' '));
  end
end

function check_contents(root)
  % help FOLDER prints the Contents.m installed with the modules.
  folder = fileparts(which('boxreach'));
  first = strtrim(strtok(fileread(fullfile(root, 'toolbox', 'Contents.m')), "\n")(2:end));
  text = evalc(['help ' folder]);
  if isempty(strfind(text, first))
    error('help %s does not show Contents.m:\n%s', folder, text);
  end
end

function uninstall_from(pkgName, prefix)
  dirs = pkg('list'){1}.dir;
  pkg('unload', pkgName);
  pkg('uninstall', '-local', pkgName);
  if ~isempty(pkg('list')) || exist(dirs, 'dir')
    error('the package is still installed in %s', dirs);
  end
end

if check(['install ' tarball], @install_into, tarball, prefix)
  installed = true;
  passed = passed + 1;
  if check(['load ' pkgName], @pkg, 'load', pkgName)
    passed = passed + 1;
    results = [check('installed modules', @check_only_modules, names, prefix), ...
               check('Contents.m', @check_contents, root), ...
               cellfun(@(n) check(['module ' n], @check_module, n, root, prefix), names)];
    passed = passed + sum(results);
    failed = failed + sum(~results);
  else
    failed = failed + 1;
  end
  ok = check(['uninstall ' pkgName], @uninstall_from, pkgName, prefix);
  passed = passed + ok;
  failed = failed + ~ok;
else
  failed = failed + 1;
end
confirm_recursive_rmdir(false);
rmdir(prefix, 's');
printf('package: %d passed, %d failed\n', passed, failed);
exit(failed > 0);
