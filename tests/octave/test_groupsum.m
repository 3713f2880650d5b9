function test_groupsum()
  % groupsum inside Octave: results against accumarray, the order of summation, and every error
  % text in its order.
  X = [1 10; 2 20; 3 30];
  expect_equal(groupsum(X, [2 1 2], 2), [2 20; 4 40], 'example');
  expect_equal(groupsum([1 2 3; 4 5 6], [2 1]), [4 5 6; 1 2 3; 0 0 0], 'default count');
  expect_equal(groupsum(X, [2 1 2], 3), [2 20; 4 40; 0 0], 'count 3');
  expect_equal(groupsum(X, [2 1 2], 2.5), [2 20; 4 40], 'count 2.5');
  expect_equal(groupsum(X, [2.9 1.2 2.0], 2), [2 20; 4 40], 'labels truncate');
  expect_equal(groupsum(X, [2; 1; 2], int8(2)), [2 20; 4 40], 'column labels, int8 count');
  expect_equal(groupsum(X, [2 1 2], 3, 'ignored'), [2 20; 4 40], 'fourth input');
  expect_equal(groupsum(X, [2 1 2], [], []), [2 20; 4 40], 'fourth input, empty third');
  expect_equal(groupsum(complex(X, 1), complex([2 1 2], 5), 2), [2 20; 4 40], 'complex: real');
  expect_equal(groupsum(zeros(0, 4), []), zeros(4, 4), 'no rows');
  expect_equal(groupsum(zeros(0, 4), [], 0), zeros(0, 4), 'no rows, count 0');
  expect_equal(groupsum(zeros(3, 0), [0 NaN 9], 2), zeros(2, 0), 'no columns: labels unused');
  x = groupsum(X, [2 1 2], 2);
  groupsum(X, [2 1 2], 2);
  expect_equal(ans, x, 'no output: slot 0 still filled');

  % Ascending row order from +0: 1 + 1e16 rounds to 1e16, and -1e16 then gives exactly 0 (any
  % other order gives 1); a group holding only -0 gives +0.
  R = groupsum([1; -0; 1e16; -1e16], [1 2 1 1], 2);
  expect_equal(R, [0; 0], 'ascending order');
  expect_equal(1 ./ R(2), Inf, '-0 gives +0');

  % Against accumarray, column by column, on random data and labels.
  rand('seed', 11);
  D = rand(1000, 5) - 0.5;
  L = floor(rand(1000, 1) * 7) + 1 + 0.75;
  R = groupsum(D, L, 9);
  for j = 1:5
    expect_equal(R(:, j), accumarray(fix(L), D(:, j), [9 1]), sprintf('accumarray column %d', j));
  end

  % Errors, in the order the checks run.
  e = @(t) ['groupsum: ' t];
  expect_error(1, @() groupsum(X), e('Two input arguments required'));
  expect_error(2, @() groupsum(X), e('Two input arguments required'));
  expect_error(2, @() groupsum(X, [2 1 2]), e('Too many output arguments.'));
  expect_error(1, @() groupsum(X, [1 2]), e('Dimension mismatch.'));
  expect_error(1, @() groupsum(X, [1 2], []), e('Dimension mismatch.'));
  expect_error(1, @() groupsum(single(X), [1 2]), e('Dimension mismatch.'));
  dataClass = e('Data should be a full double matrix.');
  for d = {single(X), int32(X), X > 1, sparse(X), zeros(0, 4, 'single')}
    expect_error(1, @() groupsum(d{1}, int32(ones(1, rows(d{1})))), dataClass);
  end
  labelsClass = e('Labels should be a full double array.');
  for l = {int32([2 1 2]), uint8([2 1 2]), single([2 1 2]), sparse([2 1 2]), [true true true]}
    expect_error(1, @() groupsum(X, l{1}, -1), labelsClass);
  end
  expect_error(1, @() groupsum(X, [2 1 2], []), e('Group count should not be empty.'));
  expect_error(1, @() groupsum(X, [2 1 2], zeros(0, 1)), e('Group count should not be empty.'));
  negative = e('Group count should be nonnegative.');
  for g = {-1, NaN, Inf, 2^31}
    expect_error(1, @() groupsum(X, [0 0 0], g{1}), negative);
  end
  expect_error(1, @() groupsum(zeros(0, 4), [], -1), negative);
  expect_error(1, @() groupsum(zeros(3, 0), [1 1 1], -3), negative);
  range = e('Labels should lie between 1 and the group count.');
  for l = {[2 0 2], [2 1 0.5], [-1 1 2], [2 1 3], [2 NaN 2], [Inf 1 2]}
    expect_error(1, @() groupsum(X, l{1}, 2), range);
  end
  expect_error(1, @() groupsum(X, [2 1 3.5], 2.9), range);
  expect_error(1, @() groupsum(X, [2 1 3]), range);
  expect_error(1, @() groupsum(X, [2 1 2], 0), range);
end
