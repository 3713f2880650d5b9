function test_chain()
  % The weighted, scaled pixel graph: boxreach -> pathpeak -> packcols -> sidescale, checked
  % against Octave's own sparse(i, j, v, P, P) and diagonal products.
  for m = {'boxreach', 'pathpeak', 'packcols', 'sidescale'}
    if exist(m{1}) ~= 3
      printf('    test_chain skipped: module %s is not built\n', m{1});
      return;
    end
  end
  rand('seed', 23);
  M = 7; N = 6; P = M * N;
  valueMap = rand(M, N) + 0.05;
  labels = kron([1 2; 0 3], ones(4, 3))(1:M, 1:N);
  for r = {2, [1 2]}
    for useMask = [false true]
      what = sprintf('radius %s, mask %d', mat2str(r{1}), useMask);
      [pairIndex, pairStart] = boxreach(r{1}, [M N]);
      if useMask
        w = pathpeak(valueMap, valueMap, pairIndex, pairStart, labels);
      else
        w = pathpeak(valueMap, valueMap, pairIndex, pairStart);
      end
      expect_equal(size(w), [numel(pairIndex) 1], [what ': one weight per pair']);

      % Column p holds the weights of pixel p's pairs, in the rows of its partners.
      W = packcols(pairIndex, pairStart, w, P);
      i = double(pairIndex) + 1;
      j = repelem((1:P)', diff(double(pairStart)));
      expect_equal(W, sparse(i, j, w, P, P), [what ': W']);
      [wi, wj] = find(W);  % stored zeros (self pairs) are kept and found
      expect_equal([wi wj], [i j], [what ': pattern of W']);
      expect_equal(nzmax(W), numel(pairIndex), [what ': capacity of W']);

      % Where the chain puts a pair's weight: a pixel and its next neighbours sample the pixel
      % alone, so W(q, p) is half the value of p (0 for p itself or, with the mask, a partner of
      % the same positive label).
      [pr, pc] = ind2sub([M N], j);
      [qr, qc] = ind2sub([M N], i);
      near = max(abs(pr - qr), abs(pc - qc)) <= 1;
      want = 0.5 * valueMap(j(near));
      same = i(near) == j(near);
      if useMask
        same |= labels(i(near)) == labels(j(near)) & labels(j(near)) > 0;
      end
      want(same) = 0;
      expect_equal(full(W(sub2ind([P P], i(near), j(near)))), want, [what ': near weights']);

      % The symmetric normalisation (D + I)^-1/2 W (D + I)^-1/2 (with the mask a pixel may have
      % no weight at all) and one-sided scalings.
      d = full(sum(W, 2));
      s = 1 ./ sqrt(d + 1);
      A = sidescale(W, s, s);
      expect_equal(A, diag(s) * W * diag(s), [what ': normalised']);
      [ai, aj] = find(A);
      expect_equal([ai aj], [i j], [what ': pattern kept']);
      expect_equal(nzmax(A), nzmax(W), [what ': capacity kept']);
      expect_equal(sidescale(W, s', s'), A, [what ': factors as rows']);
      c = rand(1, P) - 0.5;
      expect_equal(sidescale(W, [], c), W * diag(c), [what ': columns only']);
      expect_equal(sidescale(W, s, []), diag(s) * W, [what ': rows only']);
    end
  end
end
