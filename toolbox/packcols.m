%PACKCOLS  Sparse matrix from column-compressed lists.
%   S = PACKCOLS(rowIndex, colStart, values, rowCount)
%
%   Builds the rowCount-by-(numel(colStart)-1) real sparse matrix whose
%   column j (0-based) holds values(e+1) in row rowIndex(e+1) for every e
%   from colStart(j+1) to colStart(j+2)-1, with room for exactly
%   numel(rowIndex) entries. The lists are copied as they stand: nothing is
%   sorted or merged. With the pair pattern of BOXREACH, the weights of
%   PATHPEAK and the pixel count M*N it gives the M*N-by-M*N weight matrix
%   whose column p holds the weights of pixel p's pairs.
%
%   Inputs
%     rowIndex  uint32 (or int32), any shape: 0-based row of each entry,
%               below rowCount and strictly ascending within each column.
%     colStart  uint32 (or int32), any shape: starts of the columns in
%               rowIndex; first 0, never decreasing, last numel(rowIndex).
%     values    double, any shape, numel(rowIndex) elements.
%     rowCount  Number of rows, truncated toward zero.
%   Only element counts matter for the shapes of the three lists.
%
%   Output
%     S  The sparse matrix. When rowIndex is empty or colStart has fewer
%        than two elements there is no output at all (so S = PACKCOLS(...)
%        then fails in the host for want of a value).
%
%   Errors, in the order they are checked (Octave puts "packcols: " first)
%     "Four input arguments required"  not exactly four inputs.
%     "Too many output arguments."  more than one output.
%     "index and value dimension mismatch"  numel(values) differs from
%        numel(rowIndex).
%     "row count should not be empty"  rowCount is empty.
%     "Impossible to fit all the nonzeros into the matrix you specififed"
%        rowCount below the average number of entries per column (rounded
%        down), or NaN, or out of the 32-bit range.
%     "row indices should be a full int32 or uint32 array"  rowIndex of
%        another class, or sparse.
%     "column starts should be a full int32 or uint32 array"  colStart of
%        another class, or sparse.
%     "values should be a full double array"  values not double, or sparse.
%     "column starts should begin at 0, never decrease and end at the number of row indices"
%        colStart breaks one of these rules.
%     "row indices should lie between 0 and the row count minus 1"  a row
%        index is negative or rowCount or more.
%     "row indices should ascend within each column"  a row index repeats
%        or goes down within a column.
%     "Not enough memory for the output matrix"  more than 2^31-1 entries or
%        columns, or the host has no memory for S.
%
%   Example
%     S = packcols(uint32([0 2 1 2]), uint32([0 2 2 4]), [0.5 1.5 2 3], 3);
%     full(S)   % is [0.5 0 0; 0 0 2; 1.5 0 3]
%     nzmax(S)   % is 4
%     [pairIndex, pairStart] = boxreach(1, [3 2]);
%     W = packcols(pairIndex, pairStart, ones(size(pairIndex)), 6);
%     full(W(:, 1))'   % is [1 1 0 1 1 0]
%
%   See also BOXREACH, PATHPEAK, SIDESCALE.
