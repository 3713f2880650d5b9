%PATHPEAK  Path-maximum weight of every pair of a pixel pair pattern.
%   pairWeight = PATHPEAK(valueMap, secondMap, pairIndex, pairStart)
%   pairWeight = PATHPEAK(valueMap, secondMap, pairIndex, pairStart, mask)
%
%   Gives every pair (p, q) of a pair pattern over an M-by-N grid, such as
%   BOXREACH makes, a weight: half the largest value of valueMap met on the
%   straight path from pixel p towards pixel q, and never below 0. The path
%   steps along columns when the column distance is at least the row
%   distance, and along rows otherwise; at each step the other coordinate is
%   rounded to the nearest row or column, halves to the larger. Pixel p is
%   sampled and pixel q is not, so the weight of (p, q) depends on
%   valueMap(p) but not on valueMap(q), and the weights are not symmetric in
%   general. A pixel paired with itself gets 0, and so does a pair whose two
%   pixels carry the same positive label in mask. Negative values and NaN
%   never count; +Inf gives +Inf. Pixels are numbered as in BOXREACH.
%
%   Inputs
%     valueMap   M-by-N double map; its size sets the grid (M*N at least 1).
%     secondMap  Any array of size M-by-N; its values are not read.
%     pairIndex  uint32, any shape: 0-based pixel numbers below M*N.
%     pairStart  uint32, any shape, M*N+1 elements: the pairs of pixel p
%                are entries pairStart(p+1)+1 to pairStart(p+2) of
%                pairIndex, each range within pairIndex.
%     mask       Optional M-by-N double labels; an empty mask means none.
%
%   Output
%     pairWeight  numel(pairIndex)-by-1 double, in the order of pairIndex;
%                 an entry in no pixel's range is 0.
%
%   Errors, in the order they are checked (Octave puts "pathpeak: " first)
%     "Four input arguments required"  fewer than four inputs.
%     "Too many output arguments"  more than one output.
%     "Dimension mismatches between the inputs"  secondMap not M-by-N,
%        pairStart not M*N+1 elements, an empty valueMap, or more than
%        2^31-1 pixels.
%     "Index pair shall be of type UINT32"  pairIndex or pairStart not
%        uint32.
%     "Incorrect size or type for mask"  a non-empty mask not M-by-N or not
%        double.
%     "Value map shall be a full matrix of type DOUBLE"  valueMap sparse or
%        not double.
%     "Mask shall be a full matrix"  a non-empty mask sparse.
%     "Index pair ranges shall not reach beyond pairIndex"  a non-empty
%        range of pairStart ends after the last entry of pairIndex.
%     "Index pair entries shall be below the number of pixels"  an entry of
%        pairIndex inside a range is M*N or more.
%     "Not enough memory for the output matrix"  pairIndex has more than
%        2^31-1 entries, or the host has no memory for pairWeight.
%
%   Example
%     v = [2 1 9 0; 4 3 8 1; -2 6 7 5];
%     pairIndex = uint32([0 1 4 5 7 11 5 2 0]);
%     pairStart = uint32([0 6 6 7 7 7 8 8 8 8 8 8 9]);
%     w = pathpeak(v, v, pairIndex, pairStart);
%     w'   % is [0 1 1 1.5 1.5 4 0 3 4]
%     mask = zeros(3, 4);  mask([1 5]) = 3;  mask([3 6]) = -1;
%     w = pathpeak(v, v, pairIndex, pairStart, mask);
%     w'   % is [0 1 0 1.5 1.5 4 0 3 4]
%     [pairIndex, pairStart] = boxreach(1, size(v));
%     w = pathpeak(v, v, pairIndex, pairStart);
%     w(pairStart(1)+1 : pairStart(2))'   % is [0 1 1 1]
%
%   See also BOXREACH, PACKCOLS.
