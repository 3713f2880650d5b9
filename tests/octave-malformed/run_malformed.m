% Calls every module with a few hundred malformed inputs in one Octave session, and checks that
% each call ends either in the module's own error (a message starting with "NAME: ") or in a
% result that keeps the module's invariants. The session must survive to the end.
%
%   octave-cli --norc tests/octave-malformed/run_malformed.m MODULE_DIR [CALLS_PER_MODULE]
%
% Inputs are drawn with a fixed seed: every class the host has (double, single, logical, char,
% integers), empty and non-empty shapes, dense, sparse real, sparse complex and sparse logical
% storage, and values such as NaN, infinities, -0, huge, negative and fractional numbers. Half of
% the calls start from a plausible call (a pattern boxreach made, lists that fit a row count) and
% break one thing in it. Sizes stay small: nothing here asks the host for a large array.
1;

function t = ifelse_text(c, a, b)
  if c
    t = a;
  else
    t = b;
  end
end

% Small arrays in full, for the report of a failure.
function t = shown(a)
  t = '';
  if numel(a) <= 16 && (isnumeric(a) || islogical(a))
    t = mat2str(full(a));
  end
end

function v = pick(pool)
  v = pool{randi(numel(pool))};
end

function x = odd_value()
  x = pick({NaN, Inf, -Inf, -0, 0, 1, 2, 3, -1, 0.5, 1.9, 2.9, -1.5, 1e300, -1e300, ...
            2^31, 2^31 - 1, -2^31, 2^32, 2^53, 4.9e-324, 65536});
end

% m-by-n doubles, mostly small integers, some odd values.
function a = odd_values(m, n)
  a = randi([-2 6], m, n);
  odd = rand(m, n) < 0.3;
  for k = find(odd)'
    a(k) = odd_value();
  end
end

% Any class, shape and storage.
function a = odd_array()
  shapes = {[0 0], [0 3], [4 0], [1 1], [1 2], [2 1], [1 5], [5 1], [3 4], [6 6], [0 70000]};
  sz = pick(shapes);
  v = odd_values(sz(1), sz(2));
  r = rand();
  if r < 0.12
    a = sparse(v .* (rand(size(v)) < 0.5));
  elseif r < 0.18
    a = sparse(complex(v, odd_values(sz(1), sz(2))));
  elseif r < 0.24
    a = sparse(v ~= 0 & ~isnan(v));
  elseif r < 0.30
    a = complex(v, odd_values(sz(1), sz(2)));
  else
    cls = pick({'double', 'double', 'double', 'single', 'logical', 'char', 'int8', 'uint8', ...
                'int16', 'uint16', 'int32', 'uint32', 'int64', 'uint64'});
    switch cls
      case 'logical'
        a = v ~= 0 & ~isnan(v);
      case 'char'
        v(~isfinite(v)) = 0;
        a = char(mod(abs(round(v)), 90) + 32);
      otherwise
        a = cast(v, cls);
    end
  end
end

% A list in another class or shape now and then.
function a = reshape_list(v)
  r = rand();
  if r < 0.08
    a = double(v);
  elseif r < 0.16
    a = int32(v);
  elseif r < 0.24
    a = v(:)';
  elseif r < 0.30 && mod(numel(v), 2) == 0 && numel(v) > 0
    a = reshape(v, 2, []);
  else
    a = v;
  end
end

% One wrong thing in a pattern: an entry out of range, a start moved, a list cut short.
function [pi, ps] = break_pattern(pi, ps, P)
  T = numel(pi);
  switch randi(14)
    case 1
      if T, pi(randi(T)) = uint32(P + randi([0 2])); end
    case 2
      if T, pi(randi(T)) = intmax('uint32'); end
    case 3
      ps(end) = ps(end) + 1;
    case 4
      if numel(ps) > 2, ps(2) = ps(end); end
    case 5
      if T, pi = pi(1:end - 1); end
    case 6
      ps(1) = 1;
    case 7
      if T > 1, pi([1 2]) = pi([2 1]); end
    otherwise
      % left as it is
  end
end

function [args, nout] = boxreach_call()
  nout = pick({0, 1, 2, 2, 2, 2, 3});
  if rand() < 0.3
    args = {odd_array(), odd_array(), odd_array(), odd_array()};
    args = args(1:pick({0, 1, 2, 2, 3, 3, 4}));
    return;
  end
  r = pick({1, 2, 3, [1 2], [2 1], 1.9, 2^31 - 1, odd_value(), odd_values(1, 2), odd_array()});
  M = randi([0 6]); N = randi([0 6]);
  % Sizes are small or refused before anything is created, whatever the radius.
  samp1 = pick({[M N], [M N], [M; N], M, double(rand(M, N) > 0.3), odd_values(M, N), [-3 2], ...
                [3 NaN], 3e9, [65536 32768], [40000 40000], odd_array()});
  samp2 = pick({odd_values(M, N), double(rand(M, N) > 0.4), double(rand(M, N) > 0.4), ...
                ones(M * N, 1), odd_array()});
  args = {r, samp1, samp2};
  args = args(1:pick({2, 2, 3, 3}));
end

function ok = boxreach_valid(args, outs, nout)
  pi = outs{1};
  ok = isa(pi, 'uint32') && ~issparse(pi) && isreal(pi) && size(pi, 2) == 1;
  if ok && nout >= 2
    ps = outs{2};
    P = numel(ps) - 1;
    ok = isa(ps, 'uint32') && size(ps, 2) == 1 && P >= 0 && ps(1) == 0 && ...
         all(diff(double(ps)) >= 0) && double(ps(end)) == numel(pi) && all(pi < P);
    for p = 1:P
      run = double(pi(ps(p) + 1:ps(p + 1)));
      ok = ok && all(diff(run) > 0);
    end
  end
end

function [args, nout] = pathpeak_call()
  nout = pick({0, 1, 1, 1, 1, 2});
  if rand() < 0.3
    args = {odd_array(), odd_array(), odd_array(), odd_array(), odd_array(), odd_array()};
    args = args(1:pick({3, 4, 4, 5, 5, 6}));
    return;
  end
  M = randi([1 5]); N = randi([1 5]); P = M * N;
  [pi, ps] = boxreach(randi(3), [M N]);
  [pi, ps] = break_pattern(pi, ps, P);
  map = pick({odd_values(M, N), randn(M, N), single(randn(M, N)), sparse(randn(M, N)), ...
              complex(randn(M, N), 1)});
  second = pick({zeros(M, N), zeros(N, M), 'x', zeros(M, N, 'int8')});
  mask = pick({[], zeros(0, 5), randi([-1 2], M, N), single(ones(M, N)), ones(N + 1, M), ...
               sparse(ones(M, N)), NaN(M, N)});
  args = {map, second, reshape_list(pi), reshape_list(ps), mask};
  args = args(1:pick({4, 4, 5, 5, 5}));
end

function ok = pathpeak_valid(args, outs, nout)
  w = outs{1};
  ok = isa(w, 'double') && isreal(w) && ~issparse(w) && size(w, 2) == 1 && ...
       numel(w) == numel(args{3}) && all(w >= 0);
end

function [args, nout] = packcols_call()
  nout = pick({0, 1, 1, 1, 1, 2});
  if rand() < 0.3
    args = {odd_array(), odd_array(), odd_array(), odd_array(), odd_array()};
    args = args(1:pick({3, 4, 4, 4, 5}));
    return;
  end
  M = randi([1 5]); N = randi([1 5]); P = M * N;
  [pi, ps] = boxreach(randi(2), [M N]);
  [pi, ps] = break_pattern(pi, ps, P);
  values = pick({rand(numel(pi), 1), rand(1, numel(pi)), odd_values(numel(pi), 1), ...
                 rand(1, numel(pi) + 1), single(rand(numel(pi), 1)), ...
                 complex(rand(numel(pi), 1), 1), sparse(rand(numel(pi), 1))});
  rows = pick({P, P, P, P + 2, 0.9, -1, NaN, Inf, [], odd_value(), 'a'});
  args = {reshape_list(pi), reshape_list(ps), values, rows};
end

function ok = packcols_valid(args, outs, nout)
  S = outs{1};
  ok = issparse(S) && isa(S, 'double') && isreal(S) && ...
       size(S, 2) == numel(args{2}) - 1 && nzmax(S) <= numel(args{1});
  if ok
    % The matrix the lists describe, built by the host itself.
    cs = double(args{2}(:));
    cols = repelem((1:numel(cs) - 1)', diff(cs));
    want = sparse(double(args{1}(:)) + 1, cols, double(real(args{3}(:))), size(S, 1), size(S, 2));
    % (Octave keeps the zeros a module stores; sparse() drops them.)
    [i1, j1, v1] = find(S);
    kept = v1 ~= 0;
    [i2, j2, v2] = find(want);
    ok = isequal(size(S), size(want)) && isequal([i1(kept) j1(kept)], [i2 j2]) && ...
         isequaln(v1(kept), v2);
  end
end

function [args, nout] = sidescale_call()
  nout = pick({0, 1, 1, 1, 1, 2});
  if rand() < 0.3
    args = {odd_array(), odd_array(), odd_array(), odd_array()};
    args = args(1:pick({2, 3, 3, 3, 4}));
    return;
  end
  m = randi([0 5]); n = randi([0 5]);
  S = pick({sparse(odd_values(m, n) .* (rand(m, n) < 0.5)), sparse(rand(m, n) .* (rand(m, n) < 0.5)), ...
            sparse(complex(rand(m, n), rand(m, n))), sparse(rand(m, n) > 0.5), ...
            odd_values(m, n)});
  rf = pick({odd_values(m, 1), odd_values(1, m), [], [], zeros(0, m), 1, odd_values(m, 2), ...
             single(ones(m, 1)), int8(ones(m, 1)), sparse(ones(m, 1)), odd_values(m + 1, 1)});
  cf = pick({odd_values(n, 1), odd_values(1, n), [], [], zeros(n, 0), 2, true(1, n), ...
             sparse(ones(1, n)), odd_values(1, n + 1)});
  args = {S, rf, cf};
end

function ok = sidescale_valid(args, outs, nout)
  R = outs{1};
  S = args{1};
  ok = issparse(R) && isa(R, 'double') && isequal(size(R), size(S)) && ...
       (isreal(R) || ~isreal(S));
  if ok
    % Nothing is stored outside the pattern of S.
    ok = all(all(spones(R) <= spones(S)));
  end
end

function [args, nout] = groupsum_call()
  nout = pick({0, 1, 1, 1, 1, 2});
  if rand() < 0.3
    args = {odd_array(), odd_array(), odd_array(), odd_array()};
    args = args(1:pick({1, 2, 2, 3, 3, 4}));
    return;
  end
  m = randi([0 5]); n = randi([0 4]); g = randi([0 4]);
  labels = randi([1 max(g, 1)], 1, m);
  if rand() < 0.3 && m > 0
    labels(randi(m)) = pick({0, g + 1, NaN, -1, 2.9, Inf});
  end
  data = pick({odd_values(m, n), rand(m, n), rand(m, n), single(rand(m, n)), sparse(rand(m, n)), ...
               complex(rand(m, n), 1)});
  % No count asks for a large output.
  count = pick({g, g, g + 0.5, -1, NaN, Inf, 2^31, [], 'a', int8(g), [g g]});
  args = {data, pick({labels, labels', labels, single(labels), labels(1:end - 1)}), count};
  args = args(1:pick({2, 3, 3, 3}));
end

function ok = groupsum_valid(args, outs, nout)
  R = outs{1};
  data = args{1};
  ok = isa(R, 'double') && isreal(R) && ~issparse(R) && size(R, 2) == size(data, 2);
  if ok
    % Row by row, in ascending order, as the module adds.
    want = zeros(size(R));
    for i = 1:size(data, 1)
      g = fix(double(args{2}(i)));
      if g >= 1 && g <= size(R, 1)
        want(g, :) = want(g, :) + double(real(data(i, :)));
      end
    end
    ok = isequaln(R, want);
  end
end

% ---- the run ---------------------------------------------------------------------------------

args = argv();
moddir = args{1};
calls = 300;
if numel(args) >= 2
  calls = str2double(args{2});
end
addpath(moddir);
rand('state', 20261211);
randn('state', 20261211);

modules = {'boxreach', 'pathpeak', 'packcols', 'sidescale', 'groupsum'};
passed = 0;
failed = 0;
for k = 1:numel(modules)
  name = modules{k};
  if exist(name) ~= 3
    printf('SKIP %s: no module in %s\n', name, moddir);
    continue;
  end
  errors = 0; results = 0; bad = 0;
  for c = 1:calls
    [in, nout] = feval([name '_call']);
    outs = {};
    message = '';
    try
      switch nout
        case 0
          ans = 'no result';
          feval(name, in{:});
          outs = {ans};
        case 1
          outs = cell(1, 1);
          [outs{:}] = feval(name, in{:});
        otherwise
          outs = cell(1, nout);
          [outs{:}] = feval(name, in{:});
      end
    catch err
      message = err.message;
    end
    if ~isempty(message)
      own = strncmp(message, [name ': '], numel(name) + 2);
      % packcols returns without an output on empty lists; asking for one is the host's error.
      early = strcmp(name, 'packcols') && numel(in) == 4 && nout >= 1 && ...
              (numel(in{1}) == 0 || numel(in{2}) <= 1) && ...
              any(strcmp(message, {'value on right hand side of assignment is undefined', ...
                                   'element number 1 undefined in return list'}));
      ok = own || early;
      errors = errors + 1;
    elseif nout == 0 && ischar(outs{1}) && strcmp(outs{1}, 'no result')
      % Only packcols may end a call without storing a result.
      ok = strcmp(name, 'packcols');
      results = results + 1;
    else
      try
        ok = feval([name '_valid'], in, outs, nout);
      catch err
        message = ['checking the result: ' err.message];
        ok = false;
      end
      results = results + 1;
    end
    if ok
      passed = passed + 1;
    else
      failed = failed + 1;
      bad = bad + 1;
      printf('FAIL %s call %d (nargin %d, nargout %d): %s\n', name, c, numel(in), nout, ...
             ifelse_text(isempty(message), 'invalid result', message));
      for a = 1:numel(in)
        printf('    input %d: %s %s%s %s\n', a, class(in{a}), mat2str(size(in{a})), ...
               ifelse_text(issparse(in{a}), ' sparse', ''), shown(in{a}));
      end
      for a = 1:numel(outs)
        printf('    output %d: %s %s %s\n', a, class(outs{a}), mat2str(size(outs{a})), ...
               shown(outs{a}));
      end
    end
  end
  printf('%-10s %4d calls: %4d own errors, %4d results, %d wrong\n', name, calls, errors, ...
         results, bad);
end
printf('the session survived every call\n');
printf('%d passed, %d failed\n', passed, failed);
exit(failed > 0);
