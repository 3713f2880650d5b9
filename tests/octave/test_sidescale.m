function test_sidescale()
  % sidescale inside Octave: the 2-by-2 example real and complex, shapes and empty arrays, every
  % error text in its order, and agreement with Octave's own diagonal products.
  S = sparse([1 0; 2 3]);
  Sc = sparse([1 0; 2 3] + 1i * [1 0; 0 -1]);
  rf = [10; 100];
  cf = [2 5];
  table = {rf, cf, [20 0; 400 1500], [20 0; 0 -500];
          rf, [], [10 0; 200 300], [10 0; 0 -100];
          [], cf, [2 0; 4 15], [2 0; 0 -5];
          [], [], [1 0; 2 3], [1 0; 0 -1]};
  for k = 1:rows(table)
    what = sprintf('example row %d', k);
    R = sidescale(S, table{k, 1}, table{k, 2});
    check_pattern(R, S, what);
    expect_equal(full(R), table{k, 3}, what);
    expect_equal(iscomplex(R), false, [what ' real']);
    R = sidescale(Sc, table{k, 1}, table{k, 2});
    check_pattern(R, Sc, [what ' complex']);
    expect_equal(full(R), complex(table{k, 3}, table{k, 4}), [what ' complex']);
  end

  % A zero factor leaves its entry stored, holding zero.
  R = sidescale(S, [0; 1], []);
  check_pattern(R, S, 'zero factor');
  [~, ~, v] = find(R);
  expect_equal(v, [0; 2; 3], 'stored zero');

  % Row first, then column: here each other order rounds differently.
  R = sidescale(sparse(2, 1, 3), [1; 0.7], 0.9);
  expect_equal(full(R(2, 1)), (0.7 * 3) * 0.9, 'row factor first');
  expect_equal(full(R(2, 1)) == 0.7 * (3 * 0.9), false, 'orders differ');

  % Shapes of the factor arrays: the larger dimension is the length, values in storage order.
  expect_equal(sidescale(S, rf', cf'), sidescale(S, rf, cf), 'row and column vectors');
  W = sparse([0 2 3; 1 0 4]);
  R = sidescale(W, [], [2 7 99; 5 99 99]);
  expect_equal(full(R), [0 10 21; 2 0 28], '2-by-3 colFactor');
  R = sidescale(S, complex(rf, [1; -1]), []);
  expect_equal(iscomplex(R), false, 'complex rowFactor');
  expect_equal(full(R), [10 0; 200 300], 'complex rowFactor values');
  expect_equal(full(sidescale(S, zeros(0, 2), cf)), [2 0; 4 15], '0-by-2 rowFactor');
  expect_equal(full(sidescale(S, rf, zeros(2, 0))), [10 0; 200 300], '2-by-0 colFactor');

  % Capacity, empty matrices and the output slot.
  C = spalloc(2, 2, 10);
  C(1, 1) = 1; C(2, 1) = 2; C(2, 2) = 3;
  R = sidescale(C, rf, cf);
  expect_equal(nzmax(R), nzmax(C), 'capacity kept');
  expect_equal(nnz(R), 3, 'entries with spare capacity');
  R = sidescale(sparse(2, 3), [1; 2], [1 2 3]);
  expect_equal(size(R), [2 3], 'no entries: size');
  expect_equal(nnz(R), 0, 'no entries');
  expect_equal(size(sidescale(sparse(3, 0), [1; 2; 3], [])), [3 0], 'no columns');
  expect_equal(size(sidescale(sparse(0, 3), [], [1 2 3])), [0 3], 'no rows');
  sidescale(S, rf, []);
  expect_equal(full(ans), [10 0; 200 300], 'no output');

  % Against Octave's diagonal products on random matrices, real and complex.
  rand('seed', 11);
  randn('seed', 11);
  for trial = 1:3
    A = sprand(70, 50, 0.1);
    if trial == 3
      A = A + 1i * spones(A) .* sprand(70, 50, 0.5);
    end
    r = randn(70, 1);
    c = randn(1, 50);
    what = sprintf('random %d', trial);
    R = sidescale(A, r, c);
    check_pattern(R, A, what);
    expect_equal(R, diag(r) * A * diag(c), [what ' both']);
    expect_equal(sidescale(A, r, []), diag(r) * A, [what ' rows']);
    expect_equal(sidescale(A, [], c), A * diag(c), [what ' columns']);
    expect_equal(sidescale(A, [], []), A, [what ' neither']);
  end

  % Errors, in the order the checks run.
  e = 'sidescale: ';
  expect_error(1, @() sidescale(S, rf), [e 'Three input arguments required']);
  expect_error(2, @() sidescale(S, rf), [e 'Three input arguments required']);
  expect_error(1, @() sidescale(S, rf, cf, []), [e 'Three input arguments required']);
  expect_error(2, @() sidescale(S, rf, cf), [e 'Too many output arguments.']);
  expect_error(1, @() sidescale(full(S), rf, cf), [e 'Input argument #1 must be of type sparse']);
  expect_error(1, @() sidescale(full(S), sparse(rf), 1), ...
               [e 'Input argument #1 must be of type sparse']);
  expect_error(1, @() sidescale(S, rf, sparse(cf)), ...
               [e 'Input argument #2 & #3 must be of type full']);
  expect_error(1, @() sidescale(S, sparse(rf), 1), ...
               [e 'Input argument #2 & #3 must be of type full']);
  expect_error(1, @() sidescale(S, 10, cf), [e 'Row multiplication dimension mismatch.']);
  expect_error(1, @() sidescale(S, 10, 2), [e 'Row multiplication dimension mismatch.']);
  expect_error(1, @() sidescale(S, zeros(0, 3), []), [e 'Row multiplication dimension mismatch.']);
  expect_error(1, @() sidescale(S, rf, 2), [e 'Column multiplication dimension mismatch.']);
  expect_error(1, @() sidescale(S, rf, [1 2 3]), [e 'Column multiplication dimension mismatch.']);
  % Classes are refused after the documented checks.
  expect_error(1, @() sidescale(logical(S), 10, []), [e 'Row multiplication dimension mismatch.']);
  expect_error(1, @() sidescale(logical(S), rf, cf), [e 'Input argument #1 must be of class double']);
  expect_error(1, @() sidescale(logical(S), single(rf), []), ...
               [e 'Input argument #1 must be of class double']);
  for f = {single(rf), int32(rf), true(2, 1), 'ab', int32([])}
    expect_error(1, @() sidescale(S, f{1}, cf), [e 'Input argument #2 & #3 must be of class double']);
    expect_error(1, @() sidescale(S, [], f{1}'), [e 'Input argument #2 & #3 must be of class double']);
  end
end

function check_pattern(R, S, what)
  % R is a double sparse matrix with the size, capacity and stored positions of S.
  expect_equal(issparse(R) && isa(R, 'double'), true, [what ': sparse double']);
  expect_equal(size(R), size(S), [what ': size']);
  expect_equal(nzmax(R), nzmax(S), [what ': capacity']);
  [i, j] = find(R);
  [si, sj] = find(S);
  expect_equal([i j], [si sj], [what ': pattern']);
end
