%SIDESCALE  Scale the rows and columns of a sparse matrix, keeping its pattern.
%   R = SIDESCALE(S, rowFactor, colFactor)
%
%   R = diag(rowFactor) * S * diag(colFactor) for an m-by-n sparse S: every
%   stored entry S(i,j) becomes (rowFactor(i) * S(i,j)) * colFactor(j), in
%   that order. R keeps the storage of S entry for entry (size, capacity,
%   pattern); an entry scaled to zero stays stored. Pass [] (0-by-0) for a
%   side that is not to be scaled. A complex S gives a complex R, its real
%   and imaginary parts scaled alike.
%
%   Inputs
%     S          Sparse double matrix, real or complex, m-by-n.
%     rowFactor  Full double array of length m, or [] for no row scaling.
%     colFactor  Full double array of length n, or [] for no column
%                scaling.
%   The length of a factor array is the larger of its dimensions; its values
%   are taken in storage order and only their real parts are used. A scalar
%   is not spread over the rows or columns. An empty array of the length
%   needed (0-by-m for rowFactor) holds no values and, like [], leaves its
%   side unscaled.
%
%   Output
%     R  Sparse m-by-n, complex exactly when S is.
%
%   Errors, in the order they are checked (Octave puts "sidescale: " first)
%     "Three input arguments required"  not exactly three inputs.
%     "Too many output arguments."  more than one output.
%     "Input argument #1 must be of type sparse"  S is full.
%     "Input argument #2 & #3 must be of type full"  a factor array is
%        sparse.
%     "Row multiplication dimension mismatch."  rowFactor neither [] nor
%        of length m.
%     "Column multiplication dimension mismatch."  colFactor neither []
%        nor of length n.
%     "Not enough space for the output matrix."  the host has no memory for
%        R.
%     "Input argument #1 must be of class double"  S is not double (a
%        logical sparse matrix).
%     "Input argument #2 & #3 must be of class double"  a factor array is
%        not double.
%     "Input argument #1 has too many columns"  S has more than 2^31-1
%        columns.
%     "Input argument #1 is not a valid sparse matrix"  the column starts
%        or row indices of S break the sparse layout.
%
%   Example
%     S = sparse([1 0; 2 3]);
%     full(sidescale(S, [10; 100], [2 5]))   % is [20 0; 400 1500]
%     full(sidescale(S, [10; 100], []))   % is [10 0; 200 300]
%     full(sidescale(S, [], [2 5]))   % is [2 0; 4 15]
%
%   See also PACKCOLS, GROUPSUM.
