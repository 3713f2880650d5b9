function test_packcols()
  % packcols inside Octave: results against the host's own sparse(), the early returns, and
  % every error text in its order.
  ri = uint32([0 2 1 2]); cs = uint32([0 2 2 4]); v = [0.5 1.5 2 3];
  S = packcols(ri, cs, v, 3);
  expect_equal(issparse(S) && isreal(S), true, 'real sparse');
  expect_equal(S, sparse([1 3 2 3], [1 1 3 3], v, 3, 3), 'example');
  expect_equal(full(S), [0.5 0 0; 0 0 2; 1.5 0 3], 'example as dense');
  expect_equal(nzmax(S), 4, 'example capacity');
  S = packcols(ri, cs, v, 5);
  expect_equal(S, sparse([1 3 2 3], [1 1 3 3], v, 5, 3), 'row count 5');
  expect_equal(nzmax(S), 4, 'row count 5 capacity');
  expect_equal(packcols(ri, cs, v, 3.7), sparse([1 3 2 3], [1 1 3 3], v, 3, 3), 'row count 3.7');
  expect_equal(packcols(int32(ri'), int32(reshape(cs, 2, 2)), reshape(v, 2, 2), uint8(3)), ...
               sparse([1 3 2 3], [1 1 3 3], v, 3, 3), 'int32 lists, other shapes');
  expect_equal(packcols(ri, cs, complex(v, [9 9 9 9]), 3), ...
               sparse([1 3 2 3], [1 1 3 3], v, 3, 3), 'complex values: real part');
  S = packcols(uint32([0 1 0 1 0 1]), uint32([0 2 4 6]), 1:6, 2);
  expect_equal(full(S), [1 3 5; 2 4 6], 'full 2-by-3');
  x = packcols(ri, cs, v, 3);
  packcols(ri, cs, v, 3);
  expect_equal(ans, x, 'no output: slot 0 still filled');

  % The pattern of boxreach with weights, plain and masked, against sparse() built from it.
  rand('seed', 3);
  for masked = [false true]
    M = 6; N = 5; P = M * N;
    if masked
      [pi, ps] = boxreach([2 1], double(rand(M, N) > 0.2), double(rand(M, N) > 0.3));
    else
      [pi, ps] = boxreach([2 1], [M N]);
    end
    w = rand(numel(pi), 1) + 0.1;
    cols = repelem((1:P)', diff(double(ps)));
    want = sparse(double(pi) + 1, cols, w, P, P);
    S = packcols(pi, ps, w, P);
    expect_equal(S, want, sprintf('boxreach pattern, masked %d', masked));
    expect_equal(nzmax(S), numel(pi), sprintf('boxreach capacity, masked %d', masked));
  end

  % Empty lists: the call returns without an output, whatever the other inputs hold.
  clear ans;
  packcols(uint32([]), cs, [1 2 3], NaN);
  expect_equal(exist('ans', 'var'), 0, 'no row indices');
  packcols([], 'x', {}, []);
  expect_equal(exist('ans', 'var'), 0, 'no row indices, any inputs');
  packcols(ri, uint32(0), [1 2], NaN);
  expect_equal(exist('ans', 'var'), 0, 'one column start');
  packcols(ri, uint32([]), 1, []);
  expect_equal(exist('ans', 'var'), 0, 'no column starts');

  % Errors, in the order the checks run.
  e = @(t) ['packcols: ' t];
  expect_error(1, @() packcols(ri, cs, v), e('Four input arguments required'));
  expect_error(2, @() packcols(ri, cs, v), e('Four input arguments required'));
  expect_error(1, @() packcols(ri, cs, v, 3, 3), e('Four input arguments required'));
  expect_error(2, @() packcols(ri, cs, v, 3), e('Too many output arguments.'));
  expect_error(2, @() packcols(uint32([]), cs, v, 3), e('Too many output arguments.'));
  expect_error(1, @() packcols(ri, cs, [1 2 3], 3), e('index and value dimension mismatch'));
  expect_error(1, @() packcols(ri, cs, 1, []), e('index and value dimension mismatch'));
  fit = e('Impossible to fit all the nonzeros into the matrix you specififed');
  for r = {0.9, 0, -1, NaN, Inf, 2^31}
    expect_error(1, @() packcols(ri, cs, v, r{1}), fit);
  end
  expect_error(1, @() packcols(uint32([0 1 0 1 0 1]), uint32([0 2 4 6]), 1:6, 1), fit);
  expect_error(1, @() packcols(double(ri), double(cs), v, 0), fit);
  expect_error(1, @() packcols(ri, cs, v, []), e('row count should not be empty'));
  rowsClass = e('row indices should be a full int32 or uint32 array');
  for x = {double(ri), uint8(ri), int16(ri), uint64(ri), int64(ri), single(ri), ri > 0, ...
           sparse(double(ri)), 'abcd'}
    expect_error(1, @() packcols(x{1}, double(cs), v, 3), rowsClass);
  end
  startsClass = e('column starts should be a full int32 or uint32 array');
  for x = {double(cs), int64(cs), uint16(cs), single(cs), sparse(double(cs))}
    expect_error(1, @() packcols(ri, x{1}, uint32(v), 3), startsClass);
  end
  valuesClass = e('values should be a full double array');
  for x = {single(v), int64(v), uint32(v), v > 0, sparse(v)}
    expect_error(1, @() packcols(ri, uint32([1 2 2 4]), x{1}, 3), valuesClass);
  end
  starts = e('column starts should begin at 0, never decrease and end at the number of row indices');
  for x = {uint32([1 2 2 4]), uint32([0 3 2 4]), uint32([0 2 2 3]), uint32([0 2 2 5]), ...
           int32([0 -1 2 4])}
    expect_error(1, @() packcols(uint32([5 5 5 5]), x{1}, v, 3), starts);
  end
  range = e('row indices should lie between 0 and the row count minus 1');
  order = e('row indices should ascend within each column');
  expect_error(1, @() packcols(uint32([0 3 1 2]), cs, v, 3), range);
  expect_error(1, @() packcols(uint32([0 3 1 2]), cs, v, 3.7), range);
  expect_error(1, @() packcols(int32([0 2 -1 2]), cs, v, 3), range);
  expect_error(1, @() packcols(uint32(0), uint32([0 0 1]), 7, 0), range);
  expect_error(1, @() packcols(uint32([2 0 1 2]), cs, v, 3), order);
  expect_error(1, @() packcols(uint32([0 2 2 2]), cs, v, 3), order);
  expect_error(1, @() packcols(uint32([2 0 1 9]), cs, v, 3), order);
end
