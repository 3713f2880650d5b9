function test_pathpeak()
  % pathpeak inside Octave: the 3-by-4 example, the rounding of the walk, edge cases, every error
  % text in its order, and the chain boxreach -> pathpeak against a walk written here.
  V = [2 1 9 0; 4 3 8 1; -2 6 7 5];
  st = uint32([0 6 6 7 7 7 8 8 8 8 8 8 9]');
  ix = uint32([0 1 4 5 7 11 5 2 0]');
  labels = [3 0 0 0; 0 3 0 0; -1 -1 0 0];
  want = [0 1 1 1.5 1.5 4 0 3 4]';
  wantMasked = [0 1 0 1.5 1.5 4 0 3 4]';
  expect_equal(pathpeak(V, V, ix, st), want, 'example');
  expect_equal(pathpeak(V, zeros(3, 4), ix, st, labels), wantMasked, 'example with mask');
  pathpeak(V, V, ix, st);
  expect_equal(ans, want, 'no output');
  expect_equal(pathpeak(V, V, ix', st'), want, 'pattern as rows');
  expect_equal(pathpeak(V, V, reshape(ix, 3, 3), st), want, 'index as a matrix');
  expect_equal(pathpeak(V, 'abcd'([1 1 1], :), ix, st), want, 'secondMap of another class');
  expect_equal(pathpeak(V, V, ix, st, []), want, 'empty mask');
  expect_equal(pathpeak(V, V, ix, st, zeros(0, 5)), want, '0-by-5 mask');
  expect_equal(pathpeak(V, V, ix, st, single([])), want, 'empty single mask');
  expect_equal(pathpeak(V, V, ix, st, labels, sparse(true)), wantMasked, 'sixth input');
  expect_equal(pathpeak(complex(V, 7), V, ix, st), want, 'complex map: real part');
  expect_equal(pathpeak(V, V, ix, st, complex(labels, 1)), wantMasked, 'complex mask: real part');
  expect_equal(pathpeak(V, V, zeros(0, 1, 'uint32'), zeros(13, 1, 'uint32')), zeros(0, 1), ...
               'no pairs');
  % Entries that no range covers stay 0 and are not pixel numbers to check.
  expect_equal(pathpeak([6 2], [0 0], uint32([77 1 intmax('uint32')]), uint32([1 2 2])), ...
               [0; 3; 0], 'entries outside every range');

  % The two paths whose samples lie within rounding error of a half-way point.
  A = zeros(2, 7);
  A(2, 4) = 10;  % row 1, column 3
  A(1, 4) = 20;
  expect_equal(pathpeak(A, A, uint32(12), uint32([0 0 1 1 1 1 1 1 1 1 1 1 1 1 1])), 5, ...
               '(1,0) towards (0,6)');
  B = zeros(14, 23);
  B(8, 12) = 10;  % row 7, column 11
  B(7, 12) = 20;
  expect_equal(pathpeak(B, B, uint32(13 + 14 * 22), uint32([0 ones(1, 14 * 23)])), 5, ...
               '(0,0) towards (13,22)');

  % Samples that never count, +Inf that does, and a self pair whose value is not read.
  C = [NaN -0 -1 -Inf; 0 0 0 0];
  w = pathpeak(C, C, uint32([0 6]), uint32([0 2 2 2 2 2 2 2 2]));
  expect_equal(w, [0; 0], 'self pair and samples at most 0');
  expect_equal(1 ./ w, [Inf; Inf], 'weights are +0');
  C(1, 3) = Inf;
  expect_equal(pathpeak(C, C, uint32(6), uint32([0 1 1 1 1 1 1 1 1])), Inf, '+Inf counts');

  % The chain on small grids, against the walk written from its rule.
  rand('seed', 11);
  M = 6; N = 7;
  map = round(20 * rand(M, N) - 6) / 2;
  map(3, 2) = NaN;
  map(5, 6) = -0;
  mask = kron([1 2 0; 0 -1 3], ones(3, 3))(1:M, 1:N);
  mask(2, 2) = NaN;
  for r = {1, 3, [2 5], [6 1]}
    [ix, st] = boxreach(r{1}, [M N]);
    expect_equal(pathpeak(map, map, ix, st), walk(map, ix, st, []), ...
                 sprintf('chain, radius %s', mat2str(r{1})));
    expect_equal(pathpeak(map, map, ix, st, mask), walk(map, ix, st, mask), ...
                 sprintf('chain with mask, radius %s', mat2str(r{1})));
  end
  [ix, st] = boxreach(2, double(mask ~= 0), double(map > 0));
  expect_equal(pathpeak(map, map, ix, st, mask), walk(map, ix, st, mask), 'chain of masked lists');

  % Errors, in the order the checks run.
  p = 'pathpeak: ';
  expect_error(1, @() pathpeak(V, V, ix), [p 'Four input arguments required']);
  expect_error(2, @() pathpeak(V, V, ix), [p 'Four input arguments required']);
  expect_error(2, @() pathpeak(V, V, ix, st), [p 'Too many output arguments']);
  dims = [p 'Dimension mismatches between the inputs'];
  ix = uint32([0 1 4 5 7 11 5 2 0]');
  st = uint32([0 6 6 7 7 7 8 8 8 8 8 8 9]');
  expect_error(1, @() pathpeak(V, zeros(4, 3), ix, st), dims);
  expect_error(1, @() pathpeak(V, zeros(3, 5), ix, st), dims);
  expect_error(1, @() pathpeak(V, zeros(12, 1), ix, st), dims);
  expect_error(1, @() pathpeak(V, V, ix, [st; 9]), dims);
  expect_error(1, @() pathpeak(V, V, ix, st(1:12)), dims);
  expect_error(1, @() pathpeak([], [], ix, uint32(0)), dims);
  expect_error(1, @() pathpeak([], [], ix, uint32([])), dims);
  expect_error(1, @() pathpeak(zeros(0, 4), zeros(0, 4), ix, uint32(0)), dims);
  expect_error(1, @() pathpeak(V, zeros(4, 3), double(ix), st), dims);
  cls = [p 'Index pair shall be of type UINT32'];
  expect_error(1, @() pathpeak(V, V, double(ix), st), cls);
  expect_error(1, @() pathpeak(V, V, ix, int32(st)), cls);
  expect_error(1, @() pathpeak(V, V, int32(ix), st, ones(2)), cls);
  msk = [p 'Incorrect size or type for mask'];
  expect_error(1, @() pathpeak(V, V, ix, st, ones(2, 4)), msk);
  expect_error(1, @() pathpeak(V, V, ix, st, ones(3, 5)), msk);
  expect_error(1, @() pathpeak(V, V, ix, st, ones(12, 1)), msk);
  expect_error(1, @() pathpeak(V, V, ix, st, single(labels)), msk);
  expect_error(1, @() pathpeak(V, V, ix, st, labels > 0), msk);
  expect_error(1, @() pathpeak(V, V, ix, st, sparse(labels > 0)), msk);
  expect_error(1, @() pathpeak(single(V), V, ix, st, 1), msk);
  mapcls = [p 'Value map shall be a full matrix of type DOUBLE'];
  expect_error(1, @() pathpeak(single(V), V, ix, st), mapcls);
  expect_error(1, @() pathpeak(int32(V), V, ix, st), mapcls);
  expect_error(1, @() pathpeak(V > 0, V, ix, st), mapcls);
  expect_error(1, @() pathpeak(sparse(V), V, ix, st), mapcls);
  expect_error(1, @() pathpeak(single(V), V, ix, st, sparse(labels)), mapcls);
  expect_error(1, @() pathpeak(V, V, ix, st, sparse(labels)), [p 'Mask shall be a full matrix']);
  range = [p 'Index pair ranges shall not reach beyond pairIndex'];
  entry = [p 'Index pair entries shall be below the number of pixels'];
  expect_error(1, @() pathpeak(V, V, ix, [st(1:12); 10]), range);
  expect_error(1, @() pathpeak(V, V, [ix(1:3); 12; ix(5:9)], st), entry);
  expect_error(1, @() pathpeak(V, V, [ix(1:8); 2^31], st), entry);
  % The first pixel whose range is at fault decides, and within a range its end comes first.
  expect_error(1, @() pathpeak(V, V, [12; ix(2:9)], [st(1:12); 10]), entry);
  expect_error(1, @() pathpeak(V, V, uint32([0 12 1]), uint32([0 1 4 1 2 2 2 2 2 2 2 2 3])), ...
               range);
  expect_error(1, @() pathpeak(V, V, [ix(1:8); 12], [st(1:12); 10]), range);
  expect_error(1, @() pathpeak(V, V, [ix(1:8); 12], st, sparse(labels)), ...
               [p 'Mask shall be a full matrix']);
end

function w = walk(map, pairIndex, pairStart, mask)
  % The weights from the rule, pixel by pixel: p at row p mod M and column p div M (0-based).
  M = rows(map);
  P = numel(map);
  w = zeros(numel(pairIndex), 1);
  for p = 0:P-1
    rp = mod(p, M); cp = floor(p / M);
    for j = double(pairStart(p + 1)):double(pairStart(p + 2)) - 1
      q = double(pairIndex(j + 1));
      if q == p || (~isempty(mask) && mask(q + 1) == mask(p + 1) && mask(p + 1) > 0)
        continue;
      end
      rq = mod(q, M); cq = floor(q / M);
      if abs(cp - cq) >= abs(rp - rq)
        a0 = cp; a1 = cq; b0 = rp; b1 = rq; alongColumns = true;
      else
        a0 = rp; a1 = rq; b0 = cp; b1 = cq; alongColumns = false;
      end
      s = sign(a1 - a0);
      slope = (b1 - b0) / (a1 - a0);
      v = 0;
      for k = 0:abs(a1 - a0) - 1
        a = a0 + k * s;
        b = fix((slope * (a - a0) + 0.5) + b0);
        if alongColumns
          x = map(b + 1, a + 1);
        else
          x = map(a + 1, b + 1);
        end
        if x > v
          v = x;
        end
      end
      w(j + 1) = 0.5 * v;
    end
  end
end
