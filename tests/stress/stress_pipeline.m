% Large inputs inside Octave: boxreach on a 2048-by-2048 grid with radius 3, then pathpeak,
% packcols and sidescale on its pattern. For every stage: the time, the peak resident size while
% it ran (VmHWM, reset before the stage through /proc/self/clear_refs) and the resident size
% after it (VmRSS), against the arrays the stage holds: its inputs, its outputs as the module
% creates them, and the host's copy on return.
%
%   octave-cli --norc tests/stress/stress_pipeline.m MODULE_DIR [GRID_SIDE]
1;

function v = status_mib(field)
  text = fileread('/proc/self/status');
  tok = regexp(text, [field ':\s*(\d+) kB'], 'tokens', 'once');
  v = str2double(tok{1}) / 1024;
end

function v = available_mib()
  text = fileread('/proc/meminfo');
  tok = regexp(text, 'MemAvailable:\s*(\d+) kB', 'tokens', 'once');
  v = str2double(tok{1}) / 1024;
end

function reset_peak()
  fid = fopen('/proc/self/clear_refs', 'w');
  if fid >= 0
    fputs(fid, '5');
    fclose(fid);
  end
end

function c = cell_of(n, f)
  c = cell(1, n);
  [c{:}] = f();
end

function t = try_call(f)
  try
    f();
    t = 'the call succeeded';
  catch err
    t = ['refused: ' err.message];
  end
end

function t = mib(bytes)
  t = bytes / 2^20;
end

% Runs f, which returns a cell of outputs, and reports the stage against the MiB it holds.
function outs = stage(name, f, held)
  before = status_mib('VmRSS');
  reset_peak();
  tic;
  outs = f();
  seconds = toc;
  peak = status_mib('VmHWM');
  after = status_mib('VmRSS');
  printf('\n%s\n', name);
  printf('  %.2f s; resident before %.0f MiB, peak %.0f MiB (rise %.0f), after %.0f MiB\n', ...
         seconds, before, peak, peak - before, after);
  for k = 1:size(held, 1)
    printf('  %-58s %8.1f MiB\n', held{k, 1}, held{k, 2});
  end
end

args = argv();
addpath(args{1});
M = 2048;
if numel(args) >= 2
  M = str2double(args{2});
end
N = M; P = M * N; r = 3;
% The largest stage (sidescale) holds S, R as the module creates it and the host's copy of R on
% return: 3 x 16 bytes per entry, about 10 GiB for 2048 x 2048.
need = 3 * 16 * 49 * P / 2^30 + 1;
if available_mib() < need * 1024
  printf('make stress needs about %.0f GiB of available memory; %.1f GiB are available\n', ...
         need, available_mib() / 1024);
  exit(2);
end
printf('boxreach, pathpeak, packcols and sidescale on a %d x %d grid (P = %d), r = %d\n', ...
       M, N, P, r);

% Pixel rows and columns seen by a window, summed over the grid: (7M - 12) for each axis.
T = (7 * M - 12) * (7 * N - 12);
capacity = 49 * P;

o = stage('refused: 8192 x 8192, r = 3 (49 P = 3288334336 entries, beyond 32 bits)', ...
          @() {try_call(@() boxreach(3, [8192 8192]))}, {'nothing is created', 0});
printf('  -> %s\n', o{1});

o = stage(sprintf('boxreach(3, [%d %d])', M, N), @() cell_of(2, @() boxreach(r, [M N])), ...
          {'pairIndex created at pairCapacity = 49 P entries (uint32)', mib(4 * capacity);
           'pairIndex after the shrink to T entries', mib(4 * T);
           'pairStart, P + 1 entries (uint32)', mib(4 * (P + 1));
           'untouched part of pairCapacity (49 P - T entries)', mib(4 * (capacity - T))});
pairIndex = o{1}; pairStart = o{2};
clear o;
printf('  T = %d (expected %d)\n', numel(pairIndex), T);

valueMap = rand(M, N);
secondMap = zeros(M, N);
o = stage('pathpeak(valueMap, secondMap, pairIndex, pairStart)', ...
          @() cell_of(1, @() pathpeak(valueMap, secondMap, pairIndex, pairStart)), ...
          {'inputs: valueMap, secondMap (double)', mib(16 * P);
           'inputs: pairIndex, pairStart', mib(4 * (T + P + 1));
           'pairWeight, T doubles (created, and the host''s copy)', mib(8 * T)});
pairWeight = o{1};
clear o valueMap secondMap;

o = stage('packcols(pairIndex, pairStart, pairWeight, P)', ...
          @() cell_of(1, @() packcols(pairIndex, pairStart, pairWeight, P)), ...
          {'inputs: pairIndex, pairStart', mib(4 * (T + P + 1));
           'input: pairWeight', mib(8 * T);
           'sparse result: T row indices and values, P + 1 starts (8 bytes)', ...
           mib(16 * T + 8 * (P + 1))});
S = o{1};
clear o pairIndex pairStart pairWeight;

rowFactor = rand(P, 1);
colFactor = rand(1, P);
o = stage('sidescale(S, rowFactor, colFactor)', ...
          @() cell_of(1, @() sidescale(S, rowFactor, colFactor)), ...
          {'input: S', mib(16 * T + 8 * (P + 1));
           'inputs: rowFactor, colFactor', mib(16 * P);
           'sparse result R, the same storage as S', mib(16 * T + 8 * (P + 1))});
R = o{1};
printf('  nnz(R) = %d, R(1,1) = S(1,1) * rowFactor(1) * colFactor(1): %d\n', nnz(R), ...
       R(1, 1) == (rowFactor(1) * S(1, 1)) * colFactor(1));
printf('\nthe session survived every stage\n');
