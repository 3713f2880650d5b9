function built = build_modules(outdir, option)
%BUILD_MODULES  Compile the modules with mex for this host.
%   BUILD_MODULES compiles every module source in the folder modules/ next to
%   this folder (modules/NAME.cpp with common/mexversion.cpp) into a MEX file
%   in this folder, beside the module's help file, so that after
%   addpath(this folder) both NAME(...) and HELP NAME work.
%   BUILD_MODULES(OUTDIR) writes the MEX files to OUTDIR instead and copies
%   each module's help file there too.
%   BUILD_MODULES(OUTDIR, 'verbose') also shows the compiler commands; pass
%   [] as OUTDIR for this folder.
%   FILES = BUILD_MODULES(...) returns the paths of the MEX files built.
%
%   The flags: C++17, and no contraction of a multiplication and an addition
%   into one fused multiply-add (-ffp-contract=off with GCC and Clang,
%   /fp:precise with Microsoft C++), since results are defined by separately
%   rounded double operations. On Linux the linker version script
%   common/mex.map makes mexFunction and mexVersion, at the symbol version
%   MEX, the only exports.
%
%   MATLAB needs a C++ compiler chosen with "mex -setup C++"; Octave uses
%   mkoctfile with the compiler it was configured with (or the one named by
%   the environment variable CXX). Without one, BUILD_MODULES stops before
%   compiling anything.
%
%   Example
%     cd toolbox
%     build_modules
%     addpath(pwd)
%     [pairIndex, pairStart] = boxreach(1, [3 2]);
%
%   See also MEX, MKOCTFILE.

  here = fileparts(mfilename('fullpath'));
  if nargin < 1 || isempty(outdir)
    outdir = here;
  end
  verbose = nargin >= 2 && strcmpi(option, 'verbose');
  if nargin >= 2 && ~verbose
    error('build_modules:option', 'build_modules: the only option is ''verbose''');
  end

  root = fileparts(here);
  sources = dir(fullfile(root, 'modules', '*.cpp'));
  versionSource = fullfile(root, 'common', 'mexversion.cpp');
  versionScript = fullfile(root, 'common', 'mex.map');
  if isempty(sources) || ~exist(versionSource, 'file') || ~exist(versionScript, 'file')
    error('build_modules:noSources', ...
          'build_modules: no module sources in %s (modules/*.cpp, common/mexversion.cpp, common/mex.map)', ...
          root);
  end
  isOctave = exist('OCTAVE_VERSION', 'builtin') ~= 0;
  if isOctave
    [flags, compiler, restore] = octaveFlags(versionScript);
  else
    [flags, compiler] = matlabFlags(versionScript);
    restore = [];
  end
  if ~exist(outdir, 'dir')
    [ok, msg] = mkdir(outdir);
    if ~ok
      restoreEnvironment(restore);
      error('build_modules:outdir', 'build_modules: cannot create %s: %s', outdir, msg);
    end
  end
  outdir = absolutePath(outdir);
  includes = {['-I' fullfile(root, 'common')], ['-I' fullfile(root, 'modules')]};
  if verbose
    flags{end + 1} = '-v';
  end

  fprintf('build_modules: compiling %d modules with %s into %s\n', numel(sources), compiler, ...
          outdir);
  built = cell(1, numel(sources));
  for k = 1:numel(sources)
    name = sources(k).name(1:end - 4);
    source = fullfile(root, 'modules', sources(k).name);
    target = fullfile(outdir, [name '.' mexext()]);
    if isOctave
      args = [flags, includes, {'-o', target, source, versionSource}];
    else
      args = [flags, includes, {'-outdir', outdir, '-output', name, source, versionSource}];
    end
    try
      mex(args{:});
    catch err
      restoreEnvironment(restore);
      error('build_modules:failed', 'build_modules: building %s failed: %s', name, err.message);
    end
    helpFile = fullfile(here, [name '.m']);
    if ~strcmp(outdir, absolutePath(here)) && exist(helpFile, 'file')
      copyfile(helpFile, outdir);
    end
    built{k} = target;
    if verbose
      fprintf('\n');  % mkoctfile leaves its last command line open
    end
    fprintf('build_modules: built %s\n', target);
  end
  restoreEnvironment(restore);
  if nargout == 0
    clear built;
  end
end

function [flags, compiler, restore] = octaveFlags(versionScript)
  % mkoctfile reads CXXFLAGS from the environment; CXX names the compiler.
  compiler = strtrim(mkoctfile('-p', 'CXX'));
  [status, ~] = system([compiler ' --version 2>&1']);
  if isempty(compiler) || status ~= 0
    error('build_modules:noCompiler', ...
          ['build_modules: no C++ compiler is set up: "%s" (mkoctfile -p CXX) does not run; ' ...
           'install one (on Debian: apt-get install g++) or name it in the environment variable CXX'], ...
          compiler);
  end
  restore = {'CXXFLAGS', getenv('CXXFLAGS')};
  cxxflags = strtrim(mkoctfile('-p', 'CXXFLAGS'));
  setenv('CXXFLAGS', [cxxflags ' -std=c++17 -ffp-contract=off']);
  flags = {};
  if isunix() && ~ismac()
    flags{end + 1} = ['-Wl,--version-script=' versionScript];
  end
end

function [flags, compiler] = matlabFlags(versionScript)
  cc = mex.getCompilerConfigurations('C++', 'Selected');
  if isempty(cc)
    error('build_modules:noCompiler', ...
          ['build_modules: no C++ compiler is set up for mex: run "mex -setup C++", ' ...
           'then build_modules again']);
  end
  compiler = cc(1).Name;
  % The MATLAB 7.3 array API (separate real and imaginary parts), which the modules use.
  flags = {'-R2017b'};
  if ispc() && ~isempty(strfind(lower(cc(1).Manufacturer), 'microsoft'))
    flags{end + 1} = 'COMPFLAGS=$COMPFLAGS /std:c++17 /fp:precise';
  else
    flags{end + 1} = 'CXXFLAGS=$CXXFLAGS -std=c++17 -ffp-contract=off';
  end
  if isunix() && ~ismac()
    % Our version script replaces mex's own, which would define a second node MEX.
    flags = [flags, {'LINKEXPORT=', 'LINKEXPORTVER=', ...
                     ['LDFLAGS=$LDFLAGS -Wl,--version-script=' versionScript]}];
  end
end

function restoreEnvironment(restore)
  if isempty(restore)
    return;
  end
  if isempty(restore{2})
    unsetenv(restore{1});
  else
    setenv(restore{1}, restore{2});
  end
end

function p = absolutePath(p)
  back = pwd();
  cd(p);
  p = pwd();
  cd(back);
end
