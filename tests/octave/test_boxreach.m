function test_boxreach()
  % boxreach inside Octave: results, every error text in its order, and the output slots.
  ex = uint32([0 1 3 4  0 1 2 3 4 5  1 2 4 5  0 1 3 4  0 1 2 3 4 5  1 2 4 5]');
  [pi, ps] = boxreach(1, [3 2]);
  expect_equal(pi, ex, 'pairIndex');
  expect_equal(ps, uint32([0 4 10 14 18 24 28]'), 'pairStart');

  % Fewer output slots than arrays: both are still made, nothing beyond slot 0 is written.
  x = boxreach(1, [3 2]);
  expect_equal(x, ex, 'one output');
  boxreach(1, [3 2]);
  expect_equal(ans, ex, 'no output');

  [pi, ps] = boxreach(1, [3 2], [1 1; 0 1; 1 1]);
  expect_equal(ps, uint32([0 3 8 11 14 19 22]'), 'samp2 starts');
  expect_equal(pi, uint32([0 3 4  0 2 3 4 5  2 4 5  0 3 4  0 2 3 4 5  2 4 5]'), 'samp2 lists');
  [pi, ps] = boxreach(1, [1 1; 1 0; 1 1]);
  expect_equal(ps, uint32([0 4 10 14 18 18 22]'), 'samp1 mask');
  [pi, ps] = boxreach([2 1], [4 3]);
  expect_equal(ps, uint32([0 6 14 22 28 37 49 61 70 76 84 92 98]'), 'r [2 1]');
  [pi, ps] = boxreach(1.9, 3);
  expect_equal(numel(ps), 10, 'samp1 = 3');
  [pi, ps] = boxreach(1, [1 0]);
  expect_equal(size(pi), [0 1], '[1 0] is a size');
  expect_equal(ps, uint32(0), '[1 0] starts');
  [pi, ps] = boxreach(1, [3 2], zeros(3, 2));
  expect_equal(ps, zeros(7, 1, 'uint32'), 'samp2 of zeros');
  [pi, ps] = boxreach(1, [3 2], zeros(3, 2), 'ignored');
  expect_equal(ps, uint32([0 4 10 14 18 24 28]'), 'fourth input');

  % Against a construction written in Octave from the definition, on masked grids.
  rand('seed', 7);
  for trial = 1:4
    M = 7; N = 5; a = mod(trial, 3) + 1; b = 4 - a;
    s1 = double(rand(M, N) > 0.2);
    s2 = double(rand(M, N) > 0.3);
    [pi, ps] = boxreach([a b], s1, s2);
    [I, J] = ndgrid(0:M-1, 0:N-1);
    wantI = []; wantS = 0;
    for p = 0:M*N-1
      if s1(p+1)
        near = abs(I(:) - I(p+1)) <= a & abs(J(:) - J(p+1)) <= b & s2(:) ~= 0;
        wantI = [wantI; find(near) - 1];
      end
      wantS(end+1) = numel(wantI);
    end
    expect_equal(pi, uint32(wantI), sprintf('masked lists %d', trial));
    expect_equal(ps, uint32(wantS'), sprintf('masked starts %d', trial));
  end

  % Errors, in the order the checks run.
  expect_error(1, @() boxreach(1), 'boxreach: Two input arguments required');
  expect_error(3, @() boxreach(1), 'boxreach: Two input arguments required');
  expect_error(3, @() boxreach(1, [3 2]), 'boxreach: Too many output arguments.');
  for r = {0.9, -1, [1 0], NaN, Inf}
    expect_error(2, @() boxreach(r{1}, [3 2]), 'boxreach: r should be positive');
  end
  expect_error(2, @() boxreach(0, single([3 2])), 'boxreach: r should be positive');
  for r = {[], int32(1), sparse(1), 'a'}
    expect_error(2, @() boxreach(r{1}, [3 2]), 'boxreach: r should be a nonempty full double array');
  end
  for s = {true(2, 2), single([3 2]), uint8(3), int32([3 2])}
    expect_error(2, @() boxreach(1, s{1}), 'boxreach: arguments should be double');
  end
  expect_error(2, @() boxreach(1, sparse([1 1; 1 0])), 'boxreach: samp1 should be a full matrix');
  expect_error(2, @() boxreach(1, [-3 2]), 'boxreach: grid size should be nonnegative');
  expect_error(2, @() boxreach(1, [3 NaN]), 'boxreach: grid size should be nonnegative');
  expect_error(2, @() boxreach(1, [65536 32768]), 'boxreach: grid size too large');
  expect_error(2, @() boxreach(1, [3 2], ones(6, 1)), ...
               'boxreach: samp2 should be a double matrix that matches samp1');
  expect_error(2, @() boxreach(1, [3 2], true(3, 2)), ...
               'boxreach: samp2 should be a double matrix that matches samp1');
  expect_error(2, @() boxreach(1, [3 2], sparse(ones(3, 2))), ...
               'boxreach: samp2 should be a full matrix');
  expect_error(2, @() boxreach(100, [40000 40000]), ...
               'boxreach: Not enough space for the output matrix.');
end
