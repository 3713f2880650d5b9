% Runs every test_*.m function in this folder against the modules in the folder given as the
% first argument, and exits non-zero when any fails.
args = argv();
moddir = args{end};
addpath(moddir);
here = fileparts(mfilename('fullpath'));
addpath(here);
files = dir(fullfile(here, 'test_*.m'));
failed = 0;
for k = 1:numel(files)
  name = files(k).name(1:end-2);
  try
    feval(name);
    printf('PASS %s\n', name);
  catch err
    failed = failed + 1;
    printf('FAIL %s: %s\n', name, err.message);
    for s = err.stack(:)'
      printf('    at %s line %d\n', s.name, s.line);
    end
  end
end
printf('%d of %d test files failed\n', failed, numel(files));
exit(failed > 0);
