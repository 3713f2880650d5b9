% Times every module inside Octave against the built-in way a user would do the same job, on the
% same inputs and in the same run, checks that both give the same result, and times the host
% floor (hostfloor: create and return arrays of the same sizes, nothing computed).
%
%   octave-cli --norc bench/octave/bench_modules.m MODDIR OUTFILE LABEL
%
% MODDIR holds the built modules and hostfloor.mex; OUTFILE receives one JSON object per line.
% Every time is the median of several runs; the runs of a case alternate between the built-in
% way, the module and the floor, in a rotating order, so drift on a shared machine and the
% allocator's state hit all of them alike.
1;

function t = median_time(fs, reps)
  % fs: cell of function handles that each return one value; t(k) is the median for fs{k}.
  ts = zeros(reps, numel(fs));
  for r = 1:reps
    % Each run starts with another case, so none always follows the same allocations.
    for k = circshift(1:numel(fs), [0, 1 - r])
      f = fs{k};
      tic;
      v = f();
      ts(r, k) = toc;
      clear v;
    end
  end
  t = median(ts, 1);
end

function c = two(f)
  % Both outputs of a two-output call, in a cell.
  [a, b] = f();
  c = {a, b};
end

function emit(fid, label, name, what, builtin, module, floor_, floor_read, same, extra)
  fprintf(fid, ['{"label": "%s", "case": "%s", "builtin": "%s", "builtin_s": %.6g, ' ...
                '"module_s": %.6g, "floor_s": %.6g, "floor_read_s": %.6g, "same": %s%s}\n'], ...
          label, name, what, builtin, module, floor_, floor_read, ...
          ifelse_(same, 'true', 'false'), extra);
  printf('%-28s %-34s built-in %9.4f s  module %9.4f s  ratio %8.1fx  floor %8.4f s  %s\n', ...
         name, what, builtin, module, builtin / module, floor_, ifelse_(same, 'same', 'DIFFERENT'));
end

function s = ifelse_(c, a, b)
  if c
    s = a;
  else
    s = b;
  end
end

% The lists boxreach makes, built the vectorised way: one row per window offset (rows fastest,
% so each pixel's column holds its neighbours in ascending order), masks applied, then read out
% in column order.
function c = octave_boxreach(a, b, M, N, s1, s2)
  P = M * N;
  [di, dj] = ndgrid(-a:a, -b:b);
  di = di(:); dj = dj(:);
  p = 0:P-1;
  ip = mod(p, M); jp = floor(p / M);
  I = ip + di; J = jp + dj;                      % (window) x (pixels)
  keep = I >= 0 & I < M & J >= 0 & J < N;
  Q = I + M * J;
  if ~isempty(s1)
    keep = keep & (s1(:)' ~= 0);
  end
  if ~isempty(s2)
    keep(keep) = s2(Q(keep) + 1) ~= 0;
  end
  c = {uint32(Q(keep)), uint32([0; cumsum(sum(keep, 1))'])};
end

% The weights pathpeak gives, vectorised over the pairs and looping over the sample index.
function w = octave_pathpeak(map, M, pairIndex, pairStart)
  P = numel(pairStart) - 1;
  p = repelem((0:P-1)', double(diff(pairStart)));
  q = double(pairIndex);
  rp = mod(p, M); cp = floor(p / M); rq = mod(q, M); cq = floor(q / M);
  dc = abs(cp - cq); dr = abs(rp - rq);
  cols = dc >= dr;                               % ties step along the columns
  a0 = ifelse_v(cols, cp, rp); a1 = ifelse_v(cols, cq, rq);
  b0 = ifelse_v(cols, rp, cp); b1 = ifelse_v(cols, rq, cq);
  n = abs(a1 - a0);
  s = sign(a1 - a0);
  slope = (b1 - b0) ./ (a1 - a0);
  v = zeros(size(q));                            % running maximum from +0, strict >
  x = map(p + 1);
  up = x > v;
  v(up) = x(up);
  for k = 1:max(n) - 1                           % q itself (k = n) is never sampled
    act = find(k < n);
    d = k * s(act);
    bm = fix((slope(act) .* d + 0.5) + b0(act));
    am = a0(act) + d;
    row = ifelse_v(cols(act), bm, am); col = ifelse_v(cols(act), am, bm);
    x = map(row + M * col + 1);
    up = x > v(act);
    v(act(up)) = x(up);
  end
  w = 0.5 * v;
  w(p == q) = 0;
end

function r = ifelse_v(c, a, b)
  r = b;
  r(c) = a(c);
end

function same = same_sparse(A, B)
  % Equal sizes and equal non-zero entries (a module keeps the zeros it is given as stored
  % entries, while sparse() and the products drop them).
  [ia, ja, va] = find(A);
  [ib, jb, vb] = find(B);
  ka = va ~= 0;
  same = isequal(size(A), size(B)) && isequal([ia(ka) ja(ka) va(ka)], [ib jb vb]);
end

function R = accum_columns(X, labels, g)
  R = zeros(g, columns(X));
  for j = 1:columns(X)
    R(:, j) = accumarray(labels, X(:, j), [g 1]);
  end
end

args = argv();
moddir = args{1};
outfile = args{2};
label = args{3};
addpath(moddir);
fid = fopen(outfile, 'w');
reps = 5;
printf('host suite, %s allocation\n', label);

% --- the 384 x 384 graph with radius 3 ---------------------------------------------------------
M = 384; N = 384; P = M * N; rad = 3;
rand('seed', 42);
[I, J] = ndgrid(0:M-1, 0:N-1);
s1 = double((I - (M-1)/2).^2 + (J - (N-1)/2).^2 <= (0.45 * M)^2);   % a disc, 64 % of the grid
s2 = double(mod(I, 64) >= 8);                                          % 1 band of 8 rows in 64

[pairIndex, pairStart] = boxreach(rad, [M N]);
T = numel(pairIndex);
c = octave_boxreach(rad, rad, M, N, [], []);
same = isequal(c{1}, pairIndex) && isequal(c{2}, pairStart);
wb = (2 * rad + 1)^2;
t = median_time({@() octave_boxreach(rad, rad, M, N, [], []), @() two(@() boxreach(rad, [M N])), ...
                 @() two(@() hostfloor(4, [P*wb T P+1]))}, reps);
emit(fid, label, 'boxreach', 'vectorised window lists', t(1), t(2), t(3), NaN, same, ...
     sprintf(', "entries": %d', T));

[mi, ms] = boxreach(rad, s1, s2);
Tm = numel(mi);
c = octave_boxreach(rad, rad, M, N, s1, s2);
same = isequal(c{1}, mi) && isequal(c{2}, ms);
capm = nnz(s1) * min(wb, nnz(s2));
t = median_time({@() octave_boxreach(rad, rad, M, N, s1, s2), @() two(@() boxreach(rad, s1, s2)), ...
                 @() two(@() hostfloor(4, [capm Tm P+1]))}, reps);
emit(fid, label, 'boxreach masked', 'vectorised window lists, masks', t(1), t(2), t(3), NaN, ...
     same, sprintf(', "entries": %d', Tm));

map = rand(M, N) - 0.1;
w = pathpeak(map, map, pairIndex, pairStart);
same = isequal(octave_pathpeak(map, M, pairIndex, pairStart), w);
t = median_time({@() octave_pathpeak(map, M, pairIndex, pairStart), ...
                 @() pathpeak(map, map, pairIndex, pairStart), @() hostfloor(1, [T 1]), ...
                 @() hostfloor(1, [T 1], map, pairIndex, pairStart)}, reps);
emit(fid, label, 'pathpeak', 'vectorised walk over the pairs', t(1), t(2), t(3), t(4), same, '');

ii = double(pairIndex) + 1;
jj = repelem((1:P)', double(diff(pairStart)));
S = packcols(pairIndex, pairStart, w, P);
same = same_sparse(S, sparse(ii, jj, w, P, P)) && nzmax(S) == T;
t = median_time({@() sparse(ii, jj, w, P, P), @() packcols(pairIndex, pairStart, w, P), ...
                 @() hostfloor(3, [P P T]), @() hostfloor(3, [P P T], pairIndex, pairStart, w)}, ...
                reps);
emit(fid, label, 'packcols', 'sparse(i, j, v, m, n)', t(1), t(2), t(3), t(4), same, '');

rf = 1 ./ (1 + rand(P, 1)); cf = 1 + rand(P, 1);
R = sidescale(S, rf, cf);
same = same_sparse(R, spdiags(rf, 0, P, P) * S * spdiags(cf, 0, P, P));
t = median_time({@() spdiags(rf, 0, P, P) * S * spdiags(cf, 0, P, P), @() sidescale(S, rf, cf), ...
                 @() hostfloor(3, [P P nzmax(S)]), @() hostfloor(3, [P P nzmax(S)], S, rf, cf)}, ...
                reps);
emit(fid, label, 'sidescale', 'spdiags(r) * S * spdiags(c)', t(1), t(2), t(3), t(4), same, '');

% --- what a tight pairIndex capacity saves on a masked grid -----------------------------------
% A sparse samp1 mask (10 % of the pixels active): the plain bound windowBound x P against the
% active pixels x windowBound that boxreach creates; hostfloor creates and shrinks each.
for g = [384 3; 1024 5]'
  Mg = g(1); rg = g(2); Pg = Mg * Mg; wb = (2 * rg + 1)^2;
  sm = double(rand(Mg, Mg) < 0.1);
  [gi, gs] = boxreach(rg, sm);
  tight = nnz(sm) * wb; plain = Pg * wb; Tg = numel(gi);
  t = median_time({@() two(@() hostfloor(4, [plain Tg Pg+1])), @() two(@() boxreach(rg, sm)), ...
                   @() two(@() hostfloor(4, [tight Tg Pg+1]))}, 5);
  fprintf(fid, ['{"label": "%s", "case": "boxreach capacity %dx%d r%d", "plain_capacity": %d, ' ...
                '"tight_capacity": %d, "entries": %d, "plain_floor_s": %.6g, "module_s": %.6g, ' ...
                '"tight_floor_s": %.6g}\n'], label, Mg, Mg, rg, plain, tight, Tg, t(1), t(2), t(3));
  printf('capacity %4dx%-4d r%d: plain %9d entries %8.4f s, tight %8d entries %8.4f s, module %8.4f s\n', ...
         Mg, Mg, rg, plain, t(1), tight, t(3), t(2));
end

% --- groupsum on 2e6 x 8 with 40 groups --------------------------------------------------------
n = 2e6; G = 40;
X = randn(n, 8);
labels = randi(G, n, 1);
R = groupsum(X, labels, G);
same = isequal(accum_columns(X, labels, G), R);
same2 = isequal(sparse(labels, 1:n, 1, G, n) * X, R);
t = median_time({@() accum_columns(X, labels, G), @() groupsum(X, labels, G), ...
                 @() sparse(labels, 1:n, 1, G, n) * X, @() hostfloor(1, [G 8]), ...
                 @() hostfloor(1, [G 8], X, labels)}, reps);
emit(fid, label, 'groupsum', 'accumarray per column', t(1), t(2), t(4), t(5), same, '');
emit(fid, label, 'groupsum', 'sparse(labels, 1:n, 1) * X', t(3), t(2), t(4), t(5), same2, '');
fclose(fid);
